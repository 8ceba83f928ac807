#include "shellext/com_objects_win32.h"

#include <new>

#include "shellext/module_state_win32.h"

ContextMenuHandlerFactory::ContextMenuHandlerFactory() {
  InterlockedIncrement(&ShellModule().LiveObjects);
}

ContextMenuHandlerFactory::~ContextMenuHandlerFactory() {
  InterlockedDecrement(&ShellModule().LiveObjects);
}

STDMETHODIMP ContextMenuHandlerFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ContextMenuHandlerFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ContextMenuHandlerFactory::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP ContextMenuHandlerFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ContextMenuHandler* handler = new (std::nothrow) ContextMenuHandler;
  if (!handler) return E_OUTOFMEMORY;
  // The query's reference is the only one: a failed query frees the handler.
  handler->AddRef();
  HRESULT result = handler->QueryInterface(iid, out);
  handler->Release();
  return result;
}

// Locks are counted: the module stays while one is held.
STDMETHODIMP ContextMenuHandlerFactory::LockServer(BOOL lock) {
  if (lock)
    InterlockedIncrement(&ShellModule().Locks);
  else if (InterlockedDecrement(&ShellModule().Locks) < 0)
    InterlockedIncrement(&ShellModule().Locks);  // an unlock without a lock
  return S_OK;
}

ContextMenuHandler::ContextMenuHandler() {
  InterlockedIncrement(&ShellModule().LiveObjects);
}

ContextMenuHandler::~ContextMenuHandler() {
  if (data_) data_->Release();
  InterlockedDecrement(&ShellModule().LiveObjects);
}

STDMETHODIMP ContextMenuHandler::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IContextMenu)) {
    *out = static_cast<IContextMenu*>(this);
  } else if (IsEqualIID(iid, IID_IShellExtInit) || IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IShellExtInit*>(this);
  } else if (IsEqualIID(iid, IID_IShellPropSheetExt)) {
    *out = static_cast<IShellPropSheetExt*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ContextMenuHandler::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ContextMenuHandler::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP ContextMenuHandler::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  if (data) data->AddRef();
  if (data_) data_->Release();
  data_ = data;
  return S_OK;
}

bool DropMedium::Fetch(IDataObject* data) {
  Release();
  if (!data) return false;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  if (FAILED(data->GetData(&format, &medium_))) return false;
  held_ = true;
  if (medium_.tymed != TYMED_HGLOBAL || !medium_.hGlobal) {
    Release();
    return false;
  }
  return true;
}
