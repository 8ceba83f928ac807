// An Explorer-like host for the shell extension, shared by its tests and
// tools. It does what Explorer does with a context-menu handler:
//
//   InstallShellExtension(folder)      copy CRVNShll.dll into `folder` and
//                                      register that copy (InProcServer32 of
//                                      the class under HKCR, ThreadingModel
//                                      Apartment), so its Corvana.ini is
//                                      `folder`\Corvana.ini;
//   ShellHandler handler;              CoCreateInstance: COM loads the DLL
//   handler.Create();                  from the registration;
//   handler.Initialize(SelectionOf({...}))  an IDataObject built by the shell
//                                      itself (a real CF_HDROP);
//   handler.QueryMenu(CMF_NORMAL)      on a real popup menu: the items added;
//   handler.Invoke(0)                  runs a command to its end (the
//                                      command's own thread, waited for
//                                      while this thread dispatches its
//                                      messages); drive its dialogs with a
//                                      DialogDriver started before;
//   handler.InvokeAsync(0)             returns as InvokeCommand does, once
//                                      the command's thread has started;
//   handler.AddPages(&pages)           IShellPropSheetExt::AddPages: the
//                                      pages it adds, as Properties gets them;
//   PropertiesSheet sheet(pages)       a modeless PropertySheetW with them,
//                                      on this thread; sheet.Close() is the
//                                      user closing Properties;
//   handler.Reset(); ModuleCanUnloadNow()  after the last release.
//
// Registry-writing tests must carry RESOURCE_LOCK corvana_registry.
// Every call must be made on the thread that called ComApartment's
// constructor (an apartment-threaded server).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/handles_win32.h"

inline constexpr char kShellClassIdText[] = "{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}";

// CoInitializeEx (apartment) for the life of the object.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

// The Windows path of the CRVNShll.dll this test program was built with.
std::string BuiltShellExtension();

// Copies the built DLL into `folder` (ends with '\') and registers the copy;
// returns its path, or "" on failure. Registering the same path again is
// harmless; a DLL already loaded in this process stays the one in use.
std::string InstallShellExtension(const std::string& folder);
// Registers `dllPath` as the class's server (no copy).
bool RegisterShellExtension(const std::string& dllPath);
// Removes the class's key.
void UnregisterShellExtension();

// The shell's data object for items that share one parent folder (full
// paths), as Explorer hands it to Initialize; empty on failure.
ComPtr<IDataObject> SelectionOf(const std::vector<std::string>& paths);

// A data object that holds only a file drop (CF_HDROP, UTF-16 names) of
// `paths`, as it is built by hand rather than by the shell: for selections
// the shell cannot make here, such as items of several folders (a search's
// results) or paths longer than the shell's folders accept.
ComPtr<IDataObject> DropOf(const std::vector<std::string>& paths);

// What QueryContextMenu did to a fresh popup menu.
struct MenuOutcome {
  HRESULT Result = E_FAIL;
  std::vector<std::string> Items;  // labels in menu order; "-" for a separator
  std::vector<UINT> Ids;           // command ids in menu order (0 for a separator)
  bool CheckBitmaps = false;       // every command item has both check-mark bitmaps
};

// One context-menu handler obtained through CoCreateInstance.
class ShellHandler {
 public:
  // False when COM cannot create it (the HRESULT is kept in LastResult()).
  bool Create();
  HRESULT Initialize(IDataObject* data);
  // QueryContextMenu(menu, index 0, first id kFirstId, last id kFirstId + 99,
  // flags) on a new popup menu holding one item ("Open") already.
  MenuOutcome QueryMenu(UINT flags, UINT firstId = kFirstId, UINT lastId = kFirstId + 99);
  // GetCommandString into a buffer of `size` characters (ANSI or UTF-16,
  // returned as ANSI); `result` receives the HRESULT.
  std::string CommandString(UINT_PTR offset, bool unicode, HRESULT* result = nullptr,
                            UINT size = 260);
  // InvokeCommand with a command offset, then WaitForCommands; or alone.
  HRESULT Invoke(UINT offset, HWND owner = nullptr);
  HRESULT InvokeAsync(UINT offset, HWND owner = nullptr);
  // InvokeCommand with a verb string.
  HRESULT InvokeVerb(const char* verb, HWND owner = nullptr);
  // IShellPropSheetExt::AddPages; the pages added are appended to `pages`.
  HRESULT AddPages(std::vector<HPROPSHEETPAGE>* pages);
  // IShellPropSheetExt::ReplacePage of page `id`, refusing any page.
  HRESULT ReplacePage(UINT id);
  IContextMenu* Menu() const { return menu_.Get(); }
  IShellExtInit* Init() const { return init_.Get(); }
  HRESULT LastResult() const { return last_; }
  void Reset();  // releases both interfaces

  static constexpr UINT kFirstId = 100;

 private:
  ComPtr<IContextMenu> menu_;
  ComPtr<IShellExtInit> init_;
  HRESULT last_ = S_OK;
};

// Properties as Explorer shows it: a modeless property sheet, created on this
// thread with the pages a handler added (each taken over: the sheet destroys
// them). Pages get their messages through this thread's dispatching
// (DispatchHostMessages, or PumpUntil of tests/results/desktop_win32.h). A sheet that is not
// `visible` works the same, its pages shown and hidden within it, but never reaches the screen
// (under Wine it then goes at once instead of in some two seconds).
class PropertiesSheet {
 public:
  explicit PropertiesSheet(const std::vector<HPROPSHEETPAGE>& pages, bool visible = true,
                           const char* caption = "a.bin");
  ~PropertiesSheet();  // Close()
  PropertiesSheet(const PropertiesSheet&) = delete;
  PropertiesSheet& operator=(const PropertiesSheet&) = delete;
  HWND Window() const { return sheet_; }
  // Shows page `index` (the first is shown on creation); its window.
  HWND ShowPage(int index);
  // The sheet's window goes, as when the user closes Properties.
  void Close();

 private:
  HWND sheet_ = nullptr;
};

// DllCanUnloadNow of the loaded extension (E_FAIL when it is not loaded).
HRESULT ModuleCanUnloadNow();
// GetProcAddress of an export of the loaded extension (null when missing).
void* ModuleExport(const char* name);

// Whether this build's file hasher opens and hashes `path` (a
// name outside the ANSI code page, a path of 260 characters or more): the
// end-to-end tests of such paths need it and say so when it does not.
bool HasherOpens(const std::string& path);

// The threads of this process that started in the loaded extension's code:
// its commands' threads and their hashers'.
std::vector<DWORD> CommandThreads();
// Waits until every such thread has ended, dispatching this thread's
// messages meanwhile; false on a timeout.
bool WaitForCommands(DWORD timeoutMs = 600000);
// Every pending message of this thread dispatched.
void DispatchHostMessages();

// ---- Dialogs of this process, driven from a second thread ----

// A visible top-level window of this process whose caption starts with
// `caption`, waited for up to `timeoutMs`; null on a timeout.
HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = 20000);
// Waits until `window` is gone.
bool WaitGone(HWND window, DWORD timeoutMs = 20000);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// Selects a drop-down list's entry and tells the dialog, as a user's choice does.
void SelectComboEntry(HWND dialog, int id, int index);
int ComboSelection(HWND dialog, int id);
std::string ComboEntry(HWND dialog, int id, int index);
void SetCheck(HWND dialog, int id, bool on);
bool IsChecked(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
// Clicks a button (posted: returns at once).
void PressButton(HWND dialog, int id);
// Cancels and closes every visible top-level window of this process, a few
// times over, so that a command waiting in a dialog comes to its end.
void CloseProcessWindows();
// The message of a message box ("#32770" with its static 0xFFFF).
std::string MessageBoxText(HWND box);

class DialogDriver;

// One step of a script: wait for the window whose caption starts with
// `Caption`, then run `Act` on it (on the driver thread).
struct DialogStep {
  std::string Caption;
  std::function<void(HWND, DialogDriver&)> Act;
};

// Runs steps one after the other on its own thread, while the test's thread
// is inside InvokeCommand. Notes what the steps record (Note) and whether a
// step timed out; after a timeout it closes the process's windows
// (CloseProcessWindows), so that a test fails instead of hanging.
class DialogDriver {
 public:
  explicit DialogDriver(std::vector<DialogStep> steps, DWORD stepTimeoutMs = 30000);
  ~DialogDriver();  // waits for the thread
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  // Waits for the thread; true when every step ran.
  bool Finish();
  // Steps call this to keep what they saw for the test to check.
  void Note(const std::string& text);
  std::vector<std::string> Notes();
  // The caption of the step that timed out, or "".
  std::string Missed();

 private:
  void Run();
  std::vector<DialogStep> steps_;
  DWORD timeout_;
  std::mutex mutex_;
  std::vector<std::string> notes_;
  std::string missed_;
  bool allRan_ = false;
  std::thread thread_;
};

// A step that notes "caption: message" of a message box or of the open-error
// dialog (its text 201) and presses `button`.
DialogStep AnswerBox(const std::string& caption, int button = IDOK);
