#include "tests/shellext/explorer_host_win32.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstring>

#include "hashing/file_hasher_win32.h"
#include "platform/text_win32.h"

namespace {

std::string WindowsPath(const char* unixOrWindows) {
  std::string path = unixOrWindows;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
    for (char& c : path)
      if (c == '/') c = '\\';
  }
  return path;
}

// The caption as the window manager holds it: no message is sent, so a
// window whose thread is busy cannot hold up the caller.
std::string WindowTextOf(HWND window) {
  wchar_t text[2048] = {};
  const int n = InternalGetWindowText(window, text, 2048);
  return Utf8(text, n > 0 ? n : 0);
}

// A control's text, which only the control itself knows (an edit's
// contents): asked of it with WM_GETTEXT.
std::string ControlTextOf(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

bool WriteString(HKEY key, const char* name, const std::string& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::string ClassKey() {
  return std::string("CLSID\\") + kShellClassIdText;
}

CLSID ShellClassId() {
  CLSID id{};
  wchar_t wide[64];
  MultiByteToWideChar(CP_ACP, 0, kShellClassIdText, -1, wide, 64);
  CLSIDFromString(wide, &id);
  return id;
}

HMODULE LoadedModule() {
  return GetModuleHandleA("CRVNShll.dll");
}

}  // namespace

ComApartment::ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
  if (ok_) CoUninitialize();
}

std::string BuiltShellExtension() {
  return WindowsPath(CORVANA_SHELLEXT_DLL);
}

bool RegisterShellExtension(const std::string& dllPath) {
  HKEY opened = nullptr;
  std::string key = ClassKey() + "\\InProcServer32";
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS)
    return false;
  UniqueRegKey owned(opened);
  return WriteString(opened, nullptr, dllPath) &&
         WriteString(opened, "ThreadingModel", "Apartment");
}

void UnregisterShellExtension() {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());
}

std::string InstallShellExtension(const std::string& folder) {
  std::string target = folder + "CRVNShll.dll";
  if (!CopyFileA(BuiltShellExtension().c_str(), target.c_str(), FALSE) &&
      GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
    return "";
  return RegisterShellExtension(target) ? target : "";
}

ComPtr<IDataObject> SelectionOf(const std::vector<std::string>& paths) {
  ComPtr<IDataObject> result;
  if (paths.empty()) return result;
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return result;
  // The parent folder of the first item holds them all.
  std::string parentPath = paths[0].substr(0, paths[0].find_last_of('\\'));
  if (parentPath.size() == 2) parentPath += '\\';  // a drive's root
  auto parse = [&](IShellFolder* folder, const std::string& name, PIDLIST_RELATIVE* pidl) {
    std::wstring wide = Wide(name);
    return SUCCEEDED(
        folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, pidl, nullptr));
  };
  PIDLIST_RELATIVE parentPidl = nullptr;
  if (!parse(desktop.Get(), parentPath, &parentPidl)) return result;
  ComPtr<IShellFolder> parent;
  HRESULT bound = desktop->BindToObject(parentPidl, nullptr, IID_IShellFolder,
                                        reinterpret_cast<void**>(parent.Put()));
  CoTaskMemFree(parentPidl);
  if (FAILED(bound)) return result;
  std::vector<PIDLIST_RELATIVE> items;
  bool ok = true;
  for (const std::string& path : paths) {
    std::string name = path.substr(path.find_last_of('\\') + 1);
    PIDLIST_RELATIVE item = nullptr;
    if (!parse(parent.Get(), name, &item)) {
      ok = false;
      break;
    }
    items.push_back(item);
  }
  if (ok)
    parent->GetUIObjectOf(
        nullptr, static_cast<UINT>(items.size()),
        const_cast<PCUITEMID_CHILD_ARRAY>(reinterpret_cast<PITEMID_CHILD*>(items.data())),
        IID_IDataObject, nullptr, reinterpret_cast<void**>(result.Put()));
  for (PIDLIST_RELATIVE item : items) CoTaskMemFree(item);
  return result;
}

namespace {

// Serves one HGLOBAL DROPFILES as CF_HDROP; everything else is refused.
class DropDataObject final : public IDataObject {
 public:
  explicit DropDataObject(std::vector<wchar_t> names) : names_(std::move(names)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    size_t bytes = sizeof(DROPFILES) + names_.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names_.data(), names_.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DropDataObject() = default;
  std::vector<wchar_t> names_;  // each name with its 0, then one more 0
  LONG references_ = 0;
};

}  // namespace

ComPtr<IDataObject> DropOf(const std::vector<std::string>& paths) {
  std::vector<wchar_t> names;
  for (const std::string& path : paths) {
    std::wstring wide = Wide(path);
    names.insert(names.end(), wide.begin(), wide.end());
    names.push_back(0);
  }
  names.push_back(0);
  DropDataObject* object = new DropDataObject(std::move(names));
  object->AddRef();
  return ComPtr<IDataObject>(object);
}

bool ShellHandler::Create() {
  Reset();
  last_ = CoCreateInstance(ShellClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                           reinterpret_cast<void**>(menu_.Put()));
  if (FAILED(last_)) return false;
  last_ = menu_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init_.Put()));
  return SUCCEEDED(last_);
}

HRESULT ShellHandler::Initialize(IDataObject* data) {
  return init_->Initialize(nullptr, data, nullptr);
}

MenuOutcome ShellHandler::QueryMenu(UINT flags, UINT firstId, UINT lastId) {
  MenuOutcome outcome;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "Open");
  outcome.Result = menu_->QueryContextMenu(menu, 0, firstId, lastId, flags);
  outcome.CheckBitmaps = true;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char label[256] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS;
    info.dwTypeData = label;
    info.cch = sizeof label;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      outcome.Items.push_back("-");
      outcome.Ids.push_back(0);
      continue;
    }
    outcome.Items.push_back(label);
    outcome.Ids.push_back(info.wID);
    if (info.wID != 1 && (!info.hbmpChecked || !info.hbmpUnchecked)) outcome.CheckBitmaps = false;
  }
  DestroyMenu(menu);
  return outcome;
}

std::string ShellHandler::CommandString(UINT_PTR offset, bool unicode, HRESULT* result, UINT size) {
  std::vector<wchar_t> buffer(size + 8, L'\x7F7F');
  HRESULT r = menu_->GetCommandString(offset, unicode ? GCS_HELPTEXTW : GCS_HELPTEXTA, nullptr,
                                      reinterpret_cast<CHAR*>(buffer.data()), size);
  if (result) *result = r;
  std::string text;
  if (unicode) {
    for (UINT i = 0; i < size && buffer[i] && buffer[i] != L'\x7F7F'; ++i)
      text += static_cast<char>(buffer[i]);
    if (buffer[size] != L'\x7F7F') text += "<overrun>";
  } else {
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    for (UINT i = 0; i < size && bytes[i] && bytes[i] != '\x7F'; ++i) text += bytes[i];
    if (bytes[size] != '\x7F') text += "<overrun>";
  }
  return text;
}

HRESULT ShellHandler::Invoke(UINT offset, HWND owner) {
  HRESULT result = InvokeAsync(offset, owner);
  WaitForCommands();
  return result;
}

HRESULT ShellHandler::InvokeAsync(UINT offset, HWND owner) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return menu_->InvokeCommand(&info);
}

HRESULT ShellHandler::InvokeVerb(const char* verb, HWND owner) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = verb;
  info.nShow = SW_SHOWNORMAL;
  return menu_->InvokeCommand(&info);
}

namespace {

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages) {
  reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
  return TRUE;
}

}  // namespace

HRESULT ShellHandler::AddPages(std::vector<HPROPSHEETPAGE>* pages) {
  ComPtr<IShellPropSheetExt> sheet;
  HRESULT got =
      menu_->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(sheet.Put()));
  if (FAILED(got)) return got;
  return sheet->AddPages(CollectPage, reinterpret_cast<LPARAM>(pages));
}

HRESULT ShellHandler::ReplacePage(UINT id) {
  ComPtr<IShellPropSheetExt> sheet;
  HRESULT got =
      menu_->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(sheet.Put()));
  if (FAILED(got)) return got;
  return sheet->ReplacePage(id, CollectPage, 0);
}

namespace {

// A sheet that is never shown: under Wine, taking a shown window off the
// screen waits some two seconds for the window manager.
int CALLBACK KeepSheetHidden(HWND, UINT message, LPARAM template_) {
  if (message == PSCB_PRECREATE && template_) {
    // The template is a DLGTEMPLATEEX (signature 0xFFFF) or a DLGTEMPLATE.
    auto* words = reinterpret_cast<WORD*>(template_);
    DWORD* style = words[1] == 0xFFFF ? reinterpret_cast<DWORD*>(words + 6)
                                      : reinterpret_cast<DWORD*>(template_);
    *style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  return 0;
}

}  // namespace

PropertiesSheet::PropertiesSheet(const std::vector<HPROPSHEETPAGE>& pages, bool visible,
                                 const char* caption) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  std::vector<HPROPSHEETPAGE> owned = pages;
  const std::wstring title = Wide(caption);
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPTITLE;
  if (!visible) {
    header.dwFlags |= PSH_USECALLBACK;
    header.pfnCallback = KeepSheetHidden;
  }
  header.pszCaption = title.c_str();
  header.nPages = static_cast<UINT>(owned.size());
  header.phpage = owned.data();
  if (!owned.empty()) sheet_ = reinterpret_cast<HWND>(PropertySheetW(&header));
  if (sheet_) DispatchHostMessages();
}

PropertiesSheet::~PropertiesSheet() {
  Close();
}

HWND PropertiesSheet::ShowPage(int index) {
  if (!sheet_) return nullptr;
  SendMessageW(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  DispatchHostMessages();
  return reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_INDEXTOHWND, index, 0));
}

void PropertiesSheet::Close() {
  if (sheet_) DestroyWindow(sheet_);
  sheet_ = nullptr;
  DispatchHostMessages();
}

void ShellHandler::Reset() {
  init_.Reset();
  menu_.Reset();
}

HRESULT ModuleCanUnloadNow() {
  auto canUnload = reinterpret_cast<HRESULT(__stdcall*)()>(ModuleExport("DllCanUnloadNow"));
  return canUnload ? canUnload() : E_FAIL;
}

void* ModuleExport(const char* name) {
  HMODULE module = LoadedModule();
  return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

bool HasherOpens(const std::string& path) {
  FileHasherOptions options;
  options.ShellVariant = true;
  FileHasher* hasher = CreateFileHasher(options);
  if (!hasher) return false;
  FileRequest request;
  request.Path = path.c_str();
  FileResult result{};
  const bool hashed = SubmitFile(hasher, request) == SubmitOutcome::Accepted &&
                      WaitFileResult(hasher, &result, 30000) == TakeOutcome::Ready &&
                      result.Status == Hashed;
  DestroyFileHasher(hasher);
  return hashed;
}

namespace {

// One look at the threads: those that started in the module's code into
// `found`; false when a thread has not begun to run yet (the system knows
// its start address only from then on).
bool LookAtThreads(std::vector<DWORD>* found) {
  HMODULE module = LoadedModule();
  if (!module) return true;
  // The image's extent, from its own headers.
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const char*>(module) +
                                                       dos->e_lfanew);
  const auto begin = reinterpret_cast<ULONG_PTR>(module);
  const ULONG_PTR end = begin + nt->OptionalHeader.SizeOfImage;
  using QueryThread = LONG(WINAPI*)(HANDLE, THREADINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  if (!query) return true;
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return true;
  bool settled = true;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
       more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    UniqueFileHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    if (!thread) continue;
    ULONG_PTR start = 0;
    // ThreadQuerySetWin32StartAddress
    if (query(thread.Get(), static_cast<THREADINFOCLASS>(9), &start, sizeof start, nullptr) != 0)
      continue;
    if (start == 0) settled = false;
    if (start >= begin && start < end) found->push_back(entry.th32ThreadID);
  }
  return settled;
}

}  // namespace

std::vector<DWORD> CommandThreads() {
  std::vector<DWORD> found;
  for (int tries = 0; tries < 200; ++tries) {
    found.clear();
    if (LookAtThreads(&found)) break;
    Sleep(10);
  }
  return found;
}

bool WaitForCommands(DWORD timeoutMs) {
  std::vector<HANDLE> threads;
  for (DWORD id : CommandThreads())
    if (HANDLE h = OpenThread(SYNCHRONIZE, FALSE, id)) threads.push_back(h);
  const DWORD start = GetTickCount();
  bool ended = true;
  while (!threads.empty()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) {
      ended = false;
      break;
    }
    DWORD woken =
        MsgWaitForMultipleObjects(1, &threads.back(), FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) {
      CloseHandle(threads.back());
      threads.pop_back();
    } else if (woken == WAIT_OBJECT_0 + 1) {
      DispatchHostMessages();
    }
  }
  for (HANDLE h : threads) CloseHandle(h);
  return ended;
}

void DispatchHostMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// ---- Dialogs ----

namespace {

struct WindowSearch {
  const std::string* Caption;
  HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (WindowTextOf(window).rfind(*search->Caption, 0) != 0) return TRUE;
  search->Found = window;
  return FALSE;
}

}  // namespace

HWND WaitForWindow(const std::string& caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    WindowSearch search{&caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.Found) return search.Found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? ControlTextOf(control) : std::string();
}

void SetControlText(HWND dialog, int id, const std::string& text) {
  std::wstring wide = Wide(text);
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void SelectComboEntry(HWND dialog, int id, int index) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int ComboSelection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::string ComboEntry(HWND dialog, int id, int index) {
  char text[256] = {};
  if (SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 255)
    return "";
  SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(text));
  return text;
}

void SetCheck(HWND dialog, int id, bool on) {
  SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsControlEnabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string MessageBoxText(HWND box) {
  return ControlText(box, 0xFFFF);
}

namespace {

BOOL CALLBACK CancelWindow(HWND window, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(window)) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

void CloseProcessWindows() {
  // A few rounds: closing one dialog may bring up the next (a final message).
  for (int round = 0; round < 5; ++round) {
    EnumWindows(CancelWindow, 0);
    Sleep(500);
  }
}

DialogDriver::DialogDriver(std::vector<DialogStep> steps, DWORD stepTimeoutMs)
    : steps_(std::move(steps)), timeout_(stepTimeoutMs), thread_([this] { Run(); }) {}

DialogDriver::~DialogDriver() {
  Finish();
}

bool DialogDriver::Finish() {
  if (thread_.joinable()) thread_.join();
  return allRan_;
}

void DialogDriver::Run() {
  for (DialogStep& step : steps_) {
    HWND window = WaitForWindow(step.Caption, timeout_);
    if (!window) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        missed_ = step.Caption;
      }
      CloseProcessWindows();
      return;
    }
    if (step.Act) step.Act(window, *this);
    // The next step must not find the window this one answered.
    WaitGone(window, 2000);
  }
  allRan_ = true;
}

void DialogDriver::Note(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  notes_.push_back(text);
}

std::vector<std::string> DialogDriver::Notes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return notes_;
}

std::string DialogDriver::Missed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return missed_;
}

DialogStep AnswerBox(const std::string& caption, int button) {
  return {caption, [button](HWND box, DialogDriver& driver) {
            // The open-error dialog's message is control 201.
            std::string text = GetDlgItem(box, 201) ? ControlText(box, 201) : MessageBoxText(box);
            driver.Note(WindowTextOf(box) + ": " + text);
            PressButton(box, button);
          }};
}
