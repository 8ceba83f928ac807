// The verifier's entry point: start-up, the command line, the settings and
// the top-level loop that chooses a list, runs it and then ends, reruns it or
// goes back to the open dialog.
#include <windows.h>

#include <commdlg.h>

#include <cstdio>

#include "hashing/hash_job_win32.h"
#include "hashing/name_resolution_win32.h"
#include "verifier/command_line.h"
#include "verifier/command_words.h"
#include "verifier/keyword_tree.h"
#include "verifier/run_state.h"
#include "verifier/run_win32.h"
#include "verifier/settings_win32.h"

namespace {

constexpr int kStartupFailed = -1;

// The job record shared with the pipeline lives for the whole process.
HashJob g_job;

// Start-up errors: the "Error" box with the exclamation icon.
void ShowError(const char* text) {
  ::MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

void ShowErrorWithPath(const char* format, const char* path) {
  char text[600];
  std::snprintf(text, sizeof text, format, path);
  ShowError(text);
}

bool ExistsExactly(const char* path) {
  return FileExistsExactly(path);
}

// The placement check's screen area: the virtual screen on Windows 98 and
// later and on Windows 2000 and later, else the primary screen.
void ChooseScreenArea(ScreenArea* area) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExA(&info);
#pragma GCC diagnostic pop
  bool virtualScreen =
      (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
       (info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 0))) ||
      (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5);
  if (virtualScreen) {
    area->Left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    area->Top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    area->Width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    area->Height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  } else {
    area->Left = area->Top = 0;
    area->Width = ::GetSystemMetrics(SM_CXSCREEN);
    area->Height = ::GetSystemMetrics(SM_CYSCREEN);
  }
}

// The open dialog; false when the user cancelled.
bool ChooseListInDialog(VerifierState* v) {
  static const char kFilter[] =
      "File Verification Database\0*.SFV;*.CRC;*.TXT;*.CKZ;*.CSV;*.PAR;*.MD5\0"
      "All Files\0*.*\0";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = v->ListPath;
  ofn.nMaxFile = 259;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameA(&ofn)) return false;
  // A name too long for ".sfv" stays as chosen.
  AppendSfvWhenNoExtension(v->ListPath, 260);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  VerifierState& v = g_verifier;
  KeywordTree keywords;
  FillKeywordTree(&keywords);
  CommandArg* words = ParseCommandLine(commandLine);

  ChooseScreenArea(&v.Screen);
  v.OutputMode = false;
  v.Settings.UpdateDb = true;
  v.VerifyAll = false;
  v.PendingBase[0] = '\0';
  LocateSettingsFile(&v);
  ReadRunSettings(v.IniPath, &v.Settings);

  int exitCode = 0;
  for (;;) {
    v.StopRequested = false;
    v.ListPath[0] = '\0';
    if (words == nullptr) {
      v.ActiveBase[0] = '\0';
      v.PendingBase[0] = '\0';
      if (!ChooseListInDialog(&v)) break;
    } else {
      StartupError error = ApplyCommandWords(words, keywords, ExistsExactly, &v);
      if (error != StartupError::None) {
        ShowError(StartupErrorMessage(error));
        exitCode = kStartupFailed;
        break;
      }
    }

    bool reopen = false;
    for (;;) {
      v.RerunRequested = false;
      RunOutcome outcome = RunList(instance, &g_job);
      if (outcome == RunOutcome::ListOpenFailed) {
        ShowErrorWithPath("Could not open file: \"%s\"", v.ListPath);
        exitCode = kStartupFailed;
        break;
      }
      if (outcome == RunOutcome::OutputOpenFailed) {
        ShowErrorWithPath("Could not open output file: \"%s\"", v.OutputPath);
        exitCode = kStartupFailed;
        break;
      }
      if (v.RerunRequested) continue;
      if (v.StopRequested) {
        if (v.PendingBase[0] != '\0') continue;
        reopen = true;
      }
      break;
    }
    if (exitCode != 0 || !reopen) break;
    FreeCommandLine(words);
    words = nullptr;
  }
  FreeCommandLine(words);
  KeywordTreeFree(&keywords);
  return exitCode;
}
