// What the files that make up the results window (messages, copying,
// sorting, commands) share beside the public instance record.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "results/results_window_win32.h"

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

// The lower-case form of a character by the system's Unicode case mapping;
// the sort indexes' case fold (SetCaseFold).
uint32_t SystemCaseFold(uint32_t codePoint);

// Settings of section "Corvana" in the owner's settings file.
std::string ReadResultsSetting(const ResultsWindowState& s, const char* key);
void WriteResultsSetting(const ResultsWindowState& s, const char* key, const char* value);

// The list view is a wide control and the rows are UTF-8: a text is
// converted once, where it is handed to the list view. ASCII text (nearly
// every name) is widened into the record itself, longer or other text goes
// through the UTF-8 conversion.
class ItemText {
 public:
  explicit ItemText(const char* utf8);
  ItemText(const char* utf8, size_t length);
  ItemText(const ItemText&) = delete;
  ItemText& operator=(const ItemText&) = delete;
  wchar_t* Get() { return text_; }

 private:
  static constexpr size_t kInline = 520;
  wchar_t inline_[kInline];
  std::wstring long_;
  wchar_t* text_ = inline_;
};

// Item texts of the list view, whole however long (UTF-8, or as the list
// view keeps them).
std::string GetItemText(HWND list, int item, int subItem);
std::wstring GetItemTextWide(HWND list, int item, int subItem);
int GetItemImage(HWND list, int item);
// A new item with its name and image at `at`; its index, or -1. `data` is
// the item's data (the shell extension's position of arrival).
int InsertItem(HWND list, int at, const char* text, int image, LPARAM data = 0);
int InsertItemWide(HWND list, int at, wchar_t* text, int image, LPARAM data = 0);
// The text of column `sub` of item `index`.
void SetSubItem(HWND list, int index, int sub, const char* text);
void SetSubItemWide(HWND list, int index, int sub, wchar_t* text);
