// The shell extension's COM objects: the class factory that Explorer gets from
// DllGetClassObject, and the context-menu handler it creates. Both count
// themselves in ShellModule().LiveObjects while they live; every count is
// changed by interlocked operations.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <shlobj.h>

class ContextMenuHandlerFactory final : public IClassFactory {
 public:
  ContextMenuHandlerFactory();
  ~ContextMenuHandlerFactory();
  ContextMenuHandlerFactory(const ContextMenuHandlerFactory&) = delete;
  ContextMenuHandlerFactory& operator=(const ContextMenuHandlerFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  volatile LONG references_ = 0;
};

// IContextMenu first (its table is the object's primary one), IShellExtInit
// second, IShellPropSheetExt (the "Checksums" page) third; IUnknown is
// answered with the IShellExtInit interface.
class ContextMenuHandler final : public IContextMenu,
                                 public IShellExtInit,
                                 public IShellPropSheetExt {
 public:
  ContextMenuHandler();
  ~ContextMenuHandler();
  ContextMenuHandler(const ContextMenuHandler&) = delete;
  ContextMenuHandler& operator=(const ContextMenuHandler&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR offset, UINT kind, UINT* reserved, CHAR* buffer,
                                UINT bufferSize) override;

  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) override;

  // property_sheet_win32.cpp
  STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM parameter) override;
  STDMETHODIMP ReplacePage(UINT pageId, LPFNSVADDPROPSHEETPAGE replaceWith,
                           LPARAM parameter) override;

 private:
  volatile LONG references_ = 0;
  IDataObject* data_ = nullptr;
};

// The selection's file drop, held for one use: released when it goes.
class DropMedium {
 public:
  DropMedium() = default;
  ~DropMedium() {
    if (held_) ReleaseStgMedium(&medium_);
  }
  DropMedium(const DropMedium&) = delete;
  DropMedium& operator=(const DropMedium&) = delete;
  // False when there is no data object or it has no file drop.
  bool Fetch(IDataObject* data);
  HDROP Drop() const { return static_cast<HDROP>(medium_.hGlobal); }
  void Release() {
    if (held_) ReleaseStgMedium(&medium_);
    held_ = false;
  }

 private:
  STGMEDIUM medium_{};
  bool held_ = false;
};
