// The one results window of the verifier and everything it owns, shared by
// the files that make up the window (messages, copying, sorting, commands).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "formats/list_entry.h"
#include "results/row_store.h"

constexpr int kStatusBandHeight = 32;
constexpr int kListViewId = 501;
constexpr int kIconId = 101;
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

struct ResultsWindowState {
  HINSTANCE Instance = nullptr;
  HWND Main = nullptr;  // null once the window is gone
  HWND List = nullptr;
  WNDPROC ListProc = nullptr;  // the list view's own procedure
  HMENU Popup = nullptr;
  HIMAGELIST HeaderImages = nullptr;
  bool HeaderImagesSupported = false;
  bool ComInitialized = false;
  bool StoreReady = false;
  // Rows added and not yet shown: the list view draws nothing meanwhile,
  // and the show-rows timer shows them and follows the newest.
  bool RowsPending = false;
  SortState Sort;
  RowStore Rows;
};

ResultsWindowState& Results();

// Started by the first row that is not yet shown.
constexpr UINT_PTR kShowRowsTimer = 1;
constexpr UINT kShowRowsDelayMs = 250;
// Turns drawing back on for rows added since the last pump and scrolls so
// that the newest row is the last visible one.
void ShowPendingRows(ResultsWindowState& s);

// Ctrl+C, Escape's sibling: the selected rows' names, one per line.
void CopySelectedNames(HWND main, HWND list);
// LVN_COLUMNCLICK after the run has finished.
void SortByColumn(ResultsWindowState& s, int column);
// The right-click menu's commands 701 to 707.
void RunListCommand(ResultsWindowState& s, int command);
// Whether the list at `path` keeps a previously-verified database (SFV and
// PAR lists), and which of the two it is.
bool ListKeepsDatabase(const char* path, ListFormat* format);
// "About Corvana", modal, owned by `owner`.
void ShowAboutBox(HINSTANCE instance, HWND owner);

// Settings of section "Corvana" in the verifier's settings file.
void ReadResultsSetting(const char* key, char* out, DWORD capacity);
void WriteResultsSetting(const char* key, const char* value);

// Item texts of the list view.
void GetItemText(HWND list, int item, int subItem, char* out, int capacity);
int GetItemImage(HWND list, int item);
// A new item with its name and image at `at`; its index, or -1.
int InsertItem(HWND list, int at, const char* text, int image);
// The text of column `sub` of item `index`.
void SetSubItem(HWND list, int index, int sub, const char* text);
