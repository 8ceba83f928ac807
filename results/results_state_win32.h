// What the files that make up the results window (messages, copying,
// sorting, commands) share beside the public instance record.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "results/results_window_win32.h"

constexpr int kStatusBandHeight = 32;
constexpr int kListViewId = 501;
constexpr int kIconId = 101;
constexpr int kShellIconId = 140;
constexpr int kMenuId = 109;

enum ResultsCommand : int {
  kCmdOpen = 40001,
  kCmdExit = 40002,
  kCmdAbout = 40003,
  kCmdUpdateDb = 40004,
  kSysUpdateDb = 503,
  kSysAbout = 504,
  kCmdMarkBad = 701,
  kCmdCopy = 702,
  kCmdClearDb = 703,
  kCmdDeleteMarked = 704,
  kCmdReparent = 705,
  kCmdMoveGood = 706,
  kCmdCheckAll = 707,
};

// Started by the first row that is not yet shown.
constexpr UINT_PTR kShowRowsTimer = 1;
constexpr UINT kShowRowsDelayMs = 250;
// Turns drawing back on for rows added since the last pump and scrolls so
// that the newest row is the last visible one.
void ShowPendingRows(ResultsWindowState& s);

// Ctrl+C, Escape's sibling: the selected rows' names, one per line.
void CopySelectedNames(HWND main, HWND list);
// "&Mark bad files": selects exactly the bad rows that have a status.
void MarkBadFiles(HWND list);
// LVN_COLUMNCLICK in the verifier's window after the run has finished: the
// list is rebuilt from the row store.
void SortByColumn(ResultsWindowState& s, int column);
// LVN_COLUMNCLICK in the shell extension's window, at any time: the items are
// sorted where they are, case-insensitively, or back into arrival order.
void SortItemsInPlace(ResultsWindowState& s, int column);
// The header arrow of `column`: shown (ascending or descending) or removed.
void SetColumnArrow(HWND list, int column, bool arrow, bool descending);

// Settings of section "Corvana" in the owner's settings file.
void ReadResultsSetting(const ResultsWindowState& s, const char* key, char* out, DWORD capacity);
void WriteResultsSetting(const ResultsWindowState& s, const char* key, const char* value);

// Item texts of the list view.
void GetItemText(HWND list, int item, int subItem, char* out, int capacity);
int GetItemImage(HWND list, int item);
// A new item with its name and image at `at`; its index, or -1. `data` is
// the item's data (the shell extension's position of arrival).
int InsertItem(HWND list, int at, const char* text, int image, LPARAM data = 0);
// The text of column `sub` of item `index`.
void SetSubItem(HWND list, int index, int sub, const char* text);
