#include "tests/installer/setup_driver_win32.h"

#include <set>

#include "platform/handles_win32.h"
#include "platform/text_win32.h"
#include "tests/results/desktop_win32.h"

namespace {

struct Watch {
  DWORD pid;
  const SetupAnswers* answers;
  SetupRun* run;
  std::set<HWND> handled;
  HWND folderDialog = nullptr;
  size_t typed = 0;     // folders typed so far
  bool retype = false;  // the last one was refused: type the next
};

BOOL CALLBACK CollectBoxes(HWND w, LPARAM lp) {
  auto* out = reinterpret_cast<std::vector<HWND>*>(lp);
  char cls[16] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && ::IsWindowVisible(w)) out->push_back(w);
  return TRUE;
}

void Click(HWND dialog, int id) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, &ignored);
}

int CheckState(HWND dialog, int id) {
  DWORD_PTR state = 0;
  ::SendMessageTimeoutA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_BLOCK, 5000, &state);
  return static_cast<int>(state);
}

void Press(HWND dialog, int id) {
  ::PostMessageA(dialog, WM_COMMAND, id, 0);
}

// Empty when the dialog is centred on the screen, else where it is. (Its
// icons cannot be checked from here: Wine answers WM_GETICON only inside the
// dialog's own process.)
std::string Placement(HWND dialog) {
  RECT r;
  ::GetWindowRect(dialog, &r);
  int left = (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  int top = (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  if (r.left == left && r.top == top) return {};
  return " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " instead of " +
         std::to_string(left) + "," + std::to_string(top);
}

// Types the next folder into the folder dialog (or keeps the proposal) and
// confirms it.
void TypeFolder(Watch& w) {
  const SetupAnswers& a = *w.answers;
  const std::string& folder =
      w.typed < a.refusedFolders.size() ? a.refusedFolders[w.typed] : a.folder;
  ++w.typed;
  if (!folder.empty()) {
    DWORD_PTR ignored = 0;
    const std::wstring wide = Wide(folder);
    ::SendMessageTimeoutW(::GetDlgItem(w.folderDialog, 1000), WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(wide.c_str()), SMTO_BLOCK, 5000, &ignored);
  }
  Press(w.folderDialog, IDOK);
}

// Answers one dialog or box of the watched process.
void Answer(Watch& w, HWND dialog) {
  const SetupAnswers& a = *w.answers;
  std::string caption = WindowText(dialog);
  w.run->dialogs.push_back(caption);
  const bool question = caption == "Corvana Installation Folder" || caption == "Corvana Options" ||
                        caption == "File Associations";
  const std::string wrong = question ? Placement(dialog) : std::string();
  if (!wrong.empty()) w.run->misplaced.push_back(caption + wrong);
  if (caption == "Corvana Installation Folder") {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, 1000), WM_GETTEXT, 1024,
                          reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, &length);
    w.run->proposal = Utf8(text);
    w.folderDialog = dialog;
    TypeFolder(w);
  } else if (caption == "Corvana Options") {
    if (!a.shellExtension) Click(dialog, 1002);
    if (!a.updateDb) Click(dialog, 1003);
    if (!a.usePath) Click(dialog, 1004);
    Press(dialog, IDOK);
  } else if (caption == "File Associations") {
    for (int t = 0; t < 7; ++t) {
      w.run->typeStates[t] = CheckState(dialog, 1003 + t);
      for (int i = 0; i < a.typeClicks[t]; ++i) Click(dialog, 1003 + t);
    }
    Press(dialog, IDOK);
  } else {
    SeenMessage m;
    m.caption = caption;
    m.text = WindowText(::GetDlgItem(dialog, 0xFFFF));
    HWND icon = ::GetDlgItem(dialog, 0x0440);
    DWORD_PTR shown = 0;
    if (icon && ::IsWindowVisible(icon))
      ::SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_BLOCK, 5000, &shown);
    m.icon = shown != 0;
    w.run->messages.push_back(m);
    int button = IDOK;
    if (caption == "Keep newer version?") button = a.keepNewer;
    if (caption == "Are you sure?") button = a.sure;
    Press(dialog, button);
    // The folder dialog stays and asks again once this box is gone.
    if (caption == "Choose another folder") w.retype = true;
  }
}

}  // namespace

SetupRun RunSetupProgram(const std::string& commandLine, const SetupAnswers& answers,
                         DWORD timeoutMs) {
  SetupRun run;
  std::wstring line = Wide(commandLine);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
    return run;
  UniqueKernelHandle process(pi.hProcess);
  UniqueKernelHandle thread(pi.hThread);
  Watch w{pi.dwProcessId, &answers, &run, {}};
  DWORD start = ::GetTickCount();
  // Messages to this thread's windows (a broadcast the program sends) are
  // answered while it runs.
  HANDLE waited = process.Get();
  for (;;) {
    const DWORD woke = ::MsgWaitForMultipleObjects(1, &waited, FALSE, 20, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) break;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (::GetTickCount() - start > timeoutMs) {
      ::TerminateProcess(process.Get(), 0xDEADBEEF);
      ::WaitForSingleObject(process.Get(), 5000);
      return run;
    }
    if (w.retype && ::IsWindow(w.folderDialog) && ::IsWindowEnabled(w.folderDialog)) {
      w.retype = false;
      TypeFolder(w);
    }
    std::vector<HWND> boxes;
    ::EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&boxes));
    for (HWND box : boxes) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(box, &owner);
      if (owner != w.pid || w.handled.count(box)) continue;
      // A box that is still being filled has no buttons yet.
      if (!::GetDlgItem(box, IDOK) && !::GetDlgItem(box, IDYES)) continue;
      w.handled.insert(box);
      Answer(w, box);
    }
  }
  ::GetExitCodeProcess(process.Get(), &run.exitCode);
  return run;
}
