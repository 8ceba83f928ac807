// The handler's IShellPropSheetExt: the "Checksums" page for a selection of
// files. Explorer calls AddPages on the thread that opens Properties, so it
// takes only the selection's names and their attributes from the data
// object's drop; no file is opened here.
#include <windows.h>

#include <shellapi.h>

#include "platform/files_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/checksum_page_win32.h"
#include "shellext/com_objects_win32.h"

STDMETHODIMP ContextMenuHandler::AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM parameter) {
  if (!addPage) return E_INVALIDARG;
  DropMedium medium;
  if (!medium.Fetch(data_)) return S_OK;
  const UINT items = DragQueryFileW(medium.Drop(), 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> files;
  for (UINT i = 0; i < items; ++i) {
    std::string path = DragQueryFileUtf8(medium.Drop(), i);
    const DWORD attributes = GetFileAttributesUtf8(path.c_str());
    // Folders are left out; an item the system cannot describe stays, and
    // its rows say why it could not be read.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (files.size() == kMaxChecksumPageFiles) return S_OK;  // too many: no page
    files.push_back(std::move(path));
  }
  medium.Release();
  if (files.empty()) return S_OK;
  HPROPSHEETPAGE page = CreateChecksumPage(std::move(files));
  if (!page) return E_OUTOFMEMORY;
  if (!addPage(page, parameter)) DestroyPropertySheetPage(page);
  return S_OK;
}

STDMETHODIMP ContextMenuHandler::ReplacePage(UINT, LPFNSVADDPROPSHEETPAGE, LPARAM) {
  return E_NOTIMPL;
}
