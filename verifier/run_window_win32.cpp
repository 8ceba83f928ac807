// The window half of a verification run: the hand-off to a new results
// window, the captions and status-band refreshes while entries are checked,
// and the "Finished" wait until the user closes the window or asks for
// another run.
#include "verifier/run_window_win32.h"

#include <string>

#include <commctrl.h>

#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "results/row_store.h"
#include "results/verifier_parts_win32.h"
#include "results/window_settings.h"
#include "verifier/database_file.h"
#include "verifier/run_state.h"

namespace {

constexpr UINT kSysUpdateDb = 503;
constexpr UINT kSysAbout = 504;
constexpr UINT kMenuUpdateDb = 40004;

// One window at a time, a new one for every run.
ResultsWindowState g_window;
// The checksum column was fitted to a digest in this window.
bool g_checksumFitted = false;

// A digest longer than a CRC-32 (the column's usual content) widens the
// checksum column once per window when it is narrower than the digest, so
// that SHA-256, SHA-512 and BLAKE3 digests show whole.
void FitChecksumColumn(const char* text) {
  if (g_checksumFitted || !g_window.List) return;
  const LineFields fields = SplitResultLine(text, true);
  if (fields.Count < 2 || fields.Length[1] <= 8) return;
  g_checksumFitted = true;
  const std::wstring digest = Wide(std::string(fields.Start[1], fields.Length[1]));
  const int wanted = static_cast<int>(SendMessageW(g_window.List, LVM_GETSTRINGWIDTHW, 0,
                                                   reinterpret_cast<LPARAM>(digest.c_str()))) +
                     16;  // the item's margins
  const int width = static_cast<int>(SendMessageW(g_window.List, LVM_GETCOLUMNWIDTH, CrcColumn, 0));
  if (wanted > width) SendMessageW(g_window.List, LVM_SETCOLUMNWIDTH, CrcColumn, wanted);
}

// The screen area chosen at start-up; when start-up left none, the one the
// system offers now.
FitArea PlacementArea() {
  const ScreenArea& chosen = g_verifier.Screen;
  if (chosen.Width > 0 && chosen.Height > 0) {
    return {chosen.Left, chosen.Top, chosen.Width, chosen.Height};
  }
  return PlacementScreenArea();
}

// What the window reads and sets: all of it lives in the verifier's state.
ResultsWindowOwner RunOwner() {
  VerifierState& v = g_verifier;
  ResultsWindowOwner owner;
  owner.Variant = WindowVariant::Verifier;
  owner.Counters = &v.Counters;
  owner.UpdateDb = &v.Settings.UpdateDb;
  owner.SettingsPath = v.IniPath;
  owner.ShowMenu = v.Settings.ShowMenu;
  owner.ListPath = v.ListPath;
  owner.StopRequested = &v.StopRequested;
  owner.RerunRequested = &v.RerunRequested;
  owner.VerifyAll = &v.VerifyAll;
  owner.PendingBase = v.PendingBase;
  owner.PendingBaseSize = sizeof v.PendingBase;
  owner.ClearDatabase = ClearDatabase;
  owner.Parts = VerifierWindowCommands();
  return owner;
}

}  // namespace

bool BeginRunWindow(HINSTANCE instance) {
  WINDOWPLACEMENT wp;
  bool stored = LoadStoredPlacement(g_verifier.IniPath, PlacementArea(), &wp);
  g_checksumFitted = false;
  HWND main = CreateResultsWindow(&g_window, instance, stored ? &wp : nullptr, RunOwner());
  if (!main) return false;
  int32_t total = g_verifier.Counters.TotalEntries;
  if (total >= 0) ReserveRows(g_window, 2u * static_cast<uint32_t>(total));

  bool on = g_verifier.Settings.UpdateDb;
  if (!g_verifier.Settings.ShowMenu) {
    HMENU sys = GetSystemMenu(main, FALSE);
    AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sys, MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED), kSysUpdateDb, L"&Update DB");
    AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sys, MF_STRING, kSysAbout, L"&About Corvana");
  } else {
    CheckMenuItem(GetMenu(main), kMenuUpdateDb, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  }
  // The window sets its own big and small icon (101), for its DPI.
  return true;
}

HWND RunWindowHandle() {
  return g_window.Main;
}

void AddRunRow(const char* text, RowKind kind) {
  AddResultRow(g_window, text, kind);
  FitChecksumColumn(text);
}

void RunWindowFileStarted(const char* name) {
  HWND main = g_window.Main;
  if (!main) return;
  std::string caption = "Checking ";
  caption += name;
  caption += "...";
  SetWindowTextUtf8(main, caption.c_str());
  InvalidateStatusBand(g_window, true);
}

void RunWindowInvalidateBand(bool erase) {
  InvalidateStatusBand(g_window, erase);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void RunWindowFinish() {
  if (HWND main = g_window.Main) {
    MessageBeep(MB_OK);
    SetWindowTextUtf8(main, "Finished");
  }
  while (g_window.Main && !g_verifier.StopRequested && !g_verifier.RerunRequested) {
    PumpMessages();
    // Wakes at once for input; otherwise looks at the flags every 10 ms.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  EndRunWindow();
}

void EndRunWindow() {
  DestroyResultsWindow(g_window);
}
