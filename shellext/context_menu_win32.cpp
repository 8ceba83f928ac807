// The handler's menu: which items the context menu gets, and their help
// texts.
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>

#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/com_objects_win32.h"
#include "shellext/list_name.h"
#include "shellext/module_state_win32.h"

namespace {

constexpr wchar_t kCreateLabel[] = L"&Create .SFV File";
constexpr wchar_t kVerifyOneLabel[] = L"&Verify Individual File";
constexpr wchar_t kVerifyManyLabel[] = L"&Verify Individual Files";

// The user's Start Menu folder is the one item that gets no commands.
bool IsStartMenuFolder(const std::string& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(HKEY_CURRENT_USER,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     KEY_READ, &opened) != ERROR_SUCCESS)
    return false;
  UniqueRegKey key(opened);
  std::string value;
  if (RegReadStringUtf8(key.Get(), "Start Menu", &value) != ERROR_SUCCESS) return false;
  return CompareNoCase(value.data(), value.size(), path.data(), path.size()) == 0;
}

bool EndsWithSfv(const std::string& path) {
  return path.size() >= 5 && CompareNoCase(path.c_str() + path.size() - 4, ".sfv") == 0;
}

bool IsFolderBySearch(const std::string& path) {
  FoundFile found;
  UniqueFindHandle search(FindFirstUtf8(path.c_str(), &found));
  if (search) return (found.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A drive's root has no entry of its own to find.
  DWORD attributes = GetFileAttributesUtf8(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the selection says about the menu.
struct MenuDecision {
  bool RuledOut = false;
  bool SingleFile = false;
};

MenuDecision Decide(IDataObject* data) {
  MenuDecision decision;
  DropMedium medium;
  if (!medium.Fetch(data)) return decision;
  HDROP drop = medium.Drop();
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) return decision;
  const std::string path = DragQueryFileUtf8(drop, 0);
  if (path.empty()) return decision;
  if (IsStartMenuFolder(path) || EndsWithSfv(path)) {
    decision.RuledOut = true;
    return decision;
  }
  decision.SingleFile = !IsFolderBySearch(path);
  return decision;
}

void InsertItem(HMENU menu, UINT position, UINT id, const wchar_t* label, HBITMAP bitmap) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  if (!label) {
    item.fMask = MIIM_FTYPE;
    item.fType = MFT_SEPARATOR;
  } else {
    // Both check-mark bitmaps: the bitmap always shows beside the item.
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS;
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(label);
    item.hbmpChecked = bitmap;
    item.hbmpUnchecked = bitmap;
  }
  InsertMenuItemW(menu, position, TRUE, &item);
}

// Copies `text` (ASCII) as ANSI or UTF-16 into a buffer of `size`
// characters, shortened when it does not fit.
void CopyCommandString(const char* text, bool unicode, CHAR* buffer, UINT size) {
  if (!buffer || size == 0) return;
  UINT i = 0;
  if (unicode) {
    WCHAR* wide = reinterpret_cast<WCHAR*>(buffer);
    for (; text[i] && i + 1 < size; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    wide[i] = 0;
  } else {
    for (; text[i] && i + 1 < size; ++i) buffer[i] = text[i];
    buffer[i] = 0;
  }
}

}  // namespace

STDMETHODIMP ContextMenuHandler::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                                  UINT flags) {
  MenuDecision decision = Decide(data_);
  bool wanted = (flags & 0x0F) == 0 || (flags & CMF_VERBSONLY) || (flags & CMF_EXPLORE);
  // Two command ids are needed; the range Explorer grants may be smaller.
  if (!wanted || decision.RuledOut || lastId < firstId + 1)
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  HBITMAP bitmap = MenuBitmap();
  InsertItem(menu, index, 0, nullptr, nullptr);
  InsertItem(menu, index + 1, firstId, kCreateLabel, bitmap);
  InsertItem(menu, index + 2, firstId + 1, decision.SingleFile ? kVerifyOneLabel : kVerifyManyLabel,
             bitmap);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
}

STDMETHODIMP ContextMenuHandler::GetCommandString(UINT_PTR offset, UINT kind, UINT*, CHAR* buffer,
                                                  UINT bufferSize) {
  const char* help = offset == 0   ? "Create .SFV File"
                     : offset == 1 ? "Verify Individual Files"
                                   : nullptr;
  switch (kind & ~GCS_UNICODE) {
    case GCS_HELPTEXTA:
      if (!help) return E_INVALIDARG;  // the buffer stays untouched
      CopyCommandString(help, (kind & GCS_UNICODE) != 0, buffer, bufferSize);
      return S_OK;
    case GCS_VALIDATEA:
      return help ? S_OK : S_FALSE;
    default:
      // The commands have no verbs: InvokeCommand is given their offsets.
      return help ? E_NOTIMPL : E_INVALIDARG;
  }
}
