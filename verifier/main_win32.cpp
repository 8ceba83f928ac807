// The verifier's entry point: start-up, the command line, the settings and
// the top-level loop that chooses a list, runs it and then ends, reruns it or
// goes back to the open dialog.
#include <windows.h>

#include <commdlg.h>

#include <cstdio>
#include <string>

#include "hashing/name_resolution_win32.h"
#include "platform/file.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "platform/windows_path.h"
#include "verifier/command_line.h"
#include "verifier/command_words.h"
#include "verifier/entry_paths_win32.h"
#include "verifier/error_level.h"
#include "verifier/keyword_tree.h"
#include "verifier/run_state.h"
#include "verifier/run_win32.h"
#include "verifier/settings_win32.h"

namespace {

constexpr int kStartupFailed = -1;

// The results file of an unattended run (OUTPUT: on the command line), or
// null: a start-up error then goes into it instead of a box that would block
// the script until someone clicks it.
const char* g_unattendedOutput = nullptr;

// Writes the version line and `text` as the results file's only lines: the
// file named by OUTPUT:, taken in the list's folder when a list was named
// (as the run takes it), else in the current folder. When the file cannot be
// created the text goes to standard error.
void WriteStartupError(const char* text) {
  const VerifierState& v = g_verifier;
  std::string path = g_unattendedOutput;
  if (!StandsAlone(path.c_str()) && v.ListPath[0] != '\0')
    path = JoinPath(ListFolderOf(FullPathOf(v.ListPath)), path);
  // UTF-8, as the results file of a list read as UTF-8: the texts are ASCII
  // but for the path they may quote.
  const std::string lines = std::string(kVersionLine) + "\r\n" + text + "\r\n";
  UniqueFile output(OpenFile(path.c_str(), OpenMode::CreateExclusive));
  if (output) {
    WriteToFile(output.Get(), lines.data(), static_cast<uint32_t>(lines.size()));
    return;
  }
  const std::string line = std::string(text) + "\r\n";
  DWORD written = 0;
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (error != nullptr && error != INVALID_HANDLE_VALUE)
    ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// Start-up errors: the "Error" box with the exclamation icon, or in an
// unattended run the results file's line.
void ShowError(const char* text) {
  if (g_unattendedOutput) {
    WriteStartupError(text);
    return;
  }
  MessageBoxUtf8(nullptr, text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

// "<before>path<after>", the path whole however long.
void ShowErrorWithPath(const char* before, const char* path, const char* after) {
  std::string text = before;
  text += path;
  text += after;
  ShowError(text.c_str());
}

// The command line after the program's name, in UTF-8: the program's name
// is a quoted word or runs to the first blank, as the run-time library
// takes it.
std::string CommandLineArguments() {
  const wchar_t* p = ::GetCommandLineW();
  if (p == nullptr) return std::string();
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return Utf8(p);
}

bool ExistsExactly(const char* path) {
  return FileExistsExactly(path);
}

// The placement check's screen area: the virtual screen on Windows 98 and
// later and on Windows 2000 and later, else the primary screen.
void ChooseScreenArea(ScreenArea* area) {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExW(&info);
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
  static const wchar_t kFilter[] =
      L"File Verification Database\0*.SFV;*.CRC;*.TXT;*.CKZ;*.CSV;*.PAR;*.MD5\0"
      L"All Files\0*.*\0";
  // Room for the longest path the system has.
  std::wstring file(32768, L'\0');
  const std::wstring start = Wide(v->ListPath);
  start.copy(file.data(), file.size() - 1);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&ofn)) return false;
  file.resize(std::wcslen(file.c_str()));
  const std::string chosen = Utf8(file);
  if (chosen.size() >= sizeof v->ListPath) return false;
  chosen.copy(v->ListPath, chosen.size());
  v->ListPath[chosen.size()] = '\0';
  // A name too long for ".sfv" stays as chosen.
  AppendSfvWhenNoExtension(v->ListPath, sizeof v->ListPath);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  VerifierState& v = g_verifier;
  KeywordTree keywords;
  FillKeywordTree(&keywords);
  const std::string commandLine = CommandLineArguments();
  CommandArg* words = ParseCommandLine(commandLine.c_str());
  g_unattendedOutput = OutputWordPath(words, keywords);

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
        exitCode = HasErrorLevelWord(words, keywords) ? kErrorLevelListFailed : kStartupFailed;
        break;
      }
    }

    bool reopen = false;
    for (;;) {
      v.RerunRequested = false;
      RunOutcome outcome = RunList(instance);
      if (outcome == RunOutcome::ListOpenFailed) {
        ShowErrorWithPath("Could not open file: \"", v.ListPath, "\"");
        exitCode = v.ErrorLevel ? kErrorLevelListFailed : kStartupFailed;
        break;
      }
      if (outcome == RunOutcome::OutputOpenFailed) {
        ShowErrorWithPath("Could not open output file: \"", v.OutputPath, "\"");
        exitCode = v.ErrorLevel ? kErrorLevelListFailed : kStartupFailed;
        break;
      }
      if (v.ErrorLevel) exitCode = ErrorLevelExitCode(v.Counters, v.ListRead, v.InvalidLines);
      if (v.RerunRequested) continue;
      if (v.StopRequested) {
        if (v.PendingBase[0] != '\0') continue;
        reopen = true;
      }
      break;
    }
    if (!reopen || (exitCode != 0 && !v.ErrorLevel)) break;
    FreeCommandLine(words);
    words = nullptr;
  }
  FreeCommandLine(words);
  KeywordTreeFree(&keywords);
  return exitCode;
}
