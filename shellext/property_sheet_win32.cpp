// The handler's IShellPropSheetExt: the "Checksums" page for a selection of
// files. Explorer calls AddPages on the thread that opens Properties, so it
// takes only the selection's names from the data object's drop and asks the
// attributes of as few of them as it can; no file is opened here.
#include <windows.h>

#include <shellapi.h>

#include "platform/files_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/checksum_page_win32.h"
#include "shellext/com_objects_win32.h"

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesUtf8(path.c_str());
  // An item the system cannot describe counts as a file: its rows say why
  // it could not be read.
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// Each attribute query is a call into the file system (under Wine some
// 100 microseconds), so AddPages asks only as far as it must: a selection of
// at most 1,000 items gets the page once one of them is a file, and the page
// leaves the folders out when it is created; a larger one is counted file by
// file, until more than 1,000 are found.
STDMETHODIMP ContextMenuHandler::AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM parameter) {
  if (!addPage) return E_INVALIDARG;
  DropMedium medium;
  if (!medium.Fetch(data_)) return S_OK;
  const UINT items = DragQueryFileW(medium.Drop(), 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> paths;
  bool file = false;
  for (UINT i = 0; i < items; ++i) {
    std::string path = DragQueryFileUtf8(medium.Drop(), i);
    if (items <= kMaxChecksumPageFiles) {
      file = file || !IsFolder(path);
    } else if (IsFolder(path)) {
      continue;
    } else if (paths.size() == kMaxChecksumPageFiles) {
      return S_OK;  // too many files: no page
    } else {
      file = true;
    }
    paths.push_back(std::move(path));
  }
  medium.Release();
  if (!file) return S_OK;
  HPROPSHEETPAGE page = CreateChecksumPage(std::move(paths));
  if (!page) return E_OUTOFMEMORY;
  if (!addPage(page, parameter)) DestroyPropertySheetPage(page);
  return S_OK;
}

STDMETHODIMP ContextMenuHandler::ReplacePage(UINT, LPFNSVADDPROPSHEETPAGE, LPARAM) {
  return E_NOTIMPL;
}
