// The results window: one row per reported line with its icon, the running
// totals in the status band above the rows, sorting, clipboard copy
// and the right-click commands.
//
// A window is an instance its creator owns: the creator keeps a
// ResultsWindowState (the verifier one per run, the shell extension one per
// verification), lends it the counters, flags and settings path through a
// ResultsWindowOwner, and the window's user data points back at it. Two
// variants are chosen at creation:
//   - Verifier: no maximize box, icon 101, the menu bar when ShowMenu is on,
//     the seven-item popup, the row store with sorting once the run has
//     finished, following the newest row always;
//   - ShellExtension: a maximize box, icon 140, no menu bar, the two-item
//     popup never grayed, no separator line and no file percentage in the
//     band, no drive-letter exception when splitting, following the newest
//     row only when the view already shows the end, no row store (the list
//     items are the only copy, sorted in place at any time).
// Both set the owner's cancel flag at WM_DESTROY.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>

#include "formats/list_entry.h"
#include "results/row_store.h"
#include "results/run_counters.h"
#include "results/status_band.h"
#include "results/window_settings.h"

// Kind of a reported line; also the row's image index.
enum RowKind : int { Good = 1, Bad = 2, Info = 3 };

// The row images of `instance`'s "IMAGES" and "MASKIMAGES" bitmaps, drawn at
// the size nearest `dpi` (16 pixels at 96 DPI, never stretched), indexed by
// RowKind (a green tick, a red cross, an information mark) and the sort
// arrows after them. The caller destroys the list.
HIMAGELIST LoadRowImages(HINSTANCE instance, int dpi);

enum class WindowVariant { Verifier, ShellExtension };

struct ResultsWindowState;

// The verifier's own commands (the popup's database, rerun and file commands
// and the About box). They live in a library the shell extension does not
// link, so the window reaches them only through this table.
struct VerifierWindowParts {
  // Before the popup shows: enables or grays its items.
  void (*PreparePopup)(ResultsWindowState& w);
  // The popup's commands 703 to 707.
  void (*ListCommand)(ResultsWindowState& w, int command);
  // "About Corvana", modal.
  void (*ShowAbout)(HINSTANCE instance, HWND owner);
};

// What the window reads from and writes to its owner. Everything pointed at
// lives in the owner's storage and outlives the window.
struct ResultsWindowOwner {
  WindowVariant Variant = WindowVariant::Verifier;
  RunCounters* Counters = nullptr;     // painted in the status band, file percentage included
  bool* Cancel = nullptr;              // set at WM_DESTROY
  bool* UpdateDb = nullptr;            // flipped by "&Update DB"
  const char* SettingsPath = nullptr;  // "Corvana.ini": placement, widths, "UpdateDB"

  // The verifier variant only.
  bool ShowMenu = false;  // menu bar 109 and the band's separator line
  const char* ListPath = nullptr;
  bool* StopRequested = nullptr;   // "&Open", "&Reparent current SFV"
  bool* RerunRequested = nullptr;  // "Check &all files"
  bool* VerifyAll = nullptr;
  char* PendingBase = nullptr;  // the folder "&Reparent current SFV" chose
  size_t PendingBaseSize = 0;
  // "C&lear All DB Info"; false when the list could not be written.
  bool (*ClearDatabase)(const char* path, ListFormat format) = nullptr;
  const VerifierWindowParts* Parts = nullptr;
};

struct ResultsWindowState {
  ResultsWindowOwner Owner;
  HINSTANCE Instance = nullptr;
  HWND Main = nullptr;  // null once the window is gone
  HWND List = nullptr;
  WNDPROC ListProc = nullptr;    // the list view's own procedure
  WNDPROC HeaderProc = nullptr;  // the header control's own procedure
  int HeaderMinHeight = 0;       // the header's least height for the DPI
  HMENU Popup = nullptr;
  HIMAGELIST SmallImages = nullptr;   // the rows' icons
  HIMAGELIST HeaderImages = nullptr;  // the sort arrows
  // Everything drawn in pixels is for this DPI, the window's; fonts and
  // image lists are made again when it changes (WM_DPICHANGED).
  int Dpi = 96;
  HFONT BandFont = nullptr;
  HFONT ListFont = nullptr;
  StatusBandLayout Band{0, 0, 16, 32};  // the status band, above the list view
  bool HeaderImagesSupported = false;
  bool ComInitialized = false;
  bool StoreReady = false;  // the verifier's row store exists
  // Rows added and not yet shown: the list view draws nothing
  // meanwhile, and the show-rows timer shows them and follows the newest.
  bool RowsPending = false;
  bool FollowPending = false;  // shell extension: the pending rows are to be followed
  int PendingTop = 0;          // shell extension: the top item when they began
  int Arrivals = 0;            // shell extension: the next item's position of arrival
  SortState Sort;
  RowStore Rows;
};

bool IsShellVariant(const ResultsWindowState& w);

// Creates the main window (caption "Working...") with the given placement
// (in pixels), or at the default rectangle (10, 10, 400 x 250 at 96 DPI,
// scaled for the monitor there) when `placement` is null. `w` must stay where
// it is until DestroyResultsWindow. Returns null when the window could not
// be created (nothing is then left allocated).
HWND CreateResultsWindow(ResultsWindowState* w, HINSTANCE instance,
                         const WINDOWPLACEMENT* placement, const ResultsWindowOwner& owner);

// Makes room for at least `count` rows (row pool and list-view capacity).
void ReserveRows(ResultsWindowState& w, unsigned count);

// Splits the formatted text into Name, CRC and Status and appends a row of
// that kind. Always true; nothing happens once the window is gone.
bool AddResultRow(ResultsWindowState& w, const char* text, RowKind kind);

// The status band (the top 32 pixels of the client area at 96 DPI)
// invalidated; `erase` false when only the file percentage changed.
void InvalidateStatusBand(const ResultsWindowState& w, bool erase);

// Destroys the window if it still exists and frees everything it holds.
// Safe to call when the user already closed the window, and twice.
void DestroyResultsWindow(ResultsWindowState& w);

// The stored "WindowInfo" of the settings file (96-DPI values) in pixels,
// fitted to the screen area that placements are checked against. False when
// none is stored or it does not decode.
bool LoadStoredPlacement(const char* settingsPath, const FitArea& area, WINDOWPLACEMENT* out);
// That area: the virtual screen where the system has one (Windows 98 and
// 2000 on), else the primary screen from 0,0.
FitArea PlacementScreenArea();
