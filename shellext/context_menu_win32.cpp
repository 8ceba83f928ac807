// The handler's menu: which items the context menu gets, and their help
// texts.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/handles_win32.h"
#include "shellext/com_objects_win32.h"
#include "shellext/list_name.h"
#include "shellext/module_state_win32.h"

namespace {

constexpr char kCreateLabel[] = "&Create .SFV File";
constexpr char kVerifyOneLabel[] = "&Verify Individual File";
constexpr char kVerifyManyLabel[] = "&Verify Individual Files";

struct MallocFree {
  void operator()(void* p) const { std::free(p); }
};

// The user's Start Menu folder is the one item that gets no commands.
bool IsStartMenuFolder(const char* path) {
  UniqueRegKey key;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER,
                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    KEY_READ, &opened) != ERROR_SUCCESS)
    return false;
  key = UniqueRegKey(opened);
  char value[261] = {};
  DWORD size = 260, type = 0;
  if (RegQueryValueExA(key.Get(), "Start Menu", nullptr, &type, reinterpret_cast<BYTE*>(value),
                       &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  value[size < sizeof value ? size : sizeof value - 1] = 0;
  return CompareNoCase(value, path) == 0;
}

bool EndsWithSfv(const char* path) {
  size_t length = std::strlen(path);
  return length >= 5 && CompareNoCase(path + length - 4, ".sfv") == 0;
}

bool IsFolderBySearch(const char* path) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(path, &found));
  if (search) return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A drive's root has no entry of its own to find.
  DWORD attributes = GetFileAttributesA(path);
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
  if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) != 1) return decision;
  UINT length = DragQueryFileA(drop, 0, nullptr, 0);
  std::unique_ptr<char, MallocFree> path(static_cast<char*>(std::malloc(length + 1)));
  if (!path || DragQueryFileA(drop, 0, path.get(), length + 1) != length) return decision;
  if (IsStartMenuFolder(path.get()) || EndsWithSfv(path.get())) {
    decision.RuledOut = true;
    return decision;
  }
  decision.SingleFile = !IsFolderBySearch(path.get());
  return decision;
}

// Copies `text` as ANSI or UTF-16 into a buffer of `size` characters,
// shortened when it does not fit.
void CopyCommandString(const char* text, bool unicode, CHAR* buffer, UINT size) {
  if (!buffer || size == 0) return;
  if (unicode) {
    WCHAR* wide = reinterpret_cast<WCHAR*>(buffer);
    UINT i = 0;
    for (; text[i] && i + 1 < size; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    wide[i] = 0;
  } else {
    lstrcpynA(buffer, text, static_cast<int>(size));
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
  HBITMAP bitmap = ShellModule().MenuBitmap;
  InsertMenuA(menu, index, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_STRING, firstId, kCreateLabel);
  InsertMenuA(menu, index + 2, MF_BYPOSITION | MF_STRING, firstId + 1,
              decision.SingleFile ? kVerifyOneLabel : kVerifyManyLabel);
  SetMenuItemBitmaps(menu, index + 1, MF_BYPOSITION, bitmap, bitmap);
  SetMenuItemBitmaps(menu, index + 2, MF_BYPOSITION, bitmap, bitmap);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
}

STDMETHODIMP ContextMenuHandler::GetCommandString(UINT_PTR offset, UINT kind, UINT*, CHAR* buffer,
                                                  UINT bufferSize) {
  bool unicode = (kind & GCS_UNICODE) != 0;
  if (offset == 0) CopyCommandString("Create .SFV File", unicode, buffer, bufferSize);
  if (offset == 1) CopyCommandString("Verify Individual Files", unicode, buffer, bufferSize);
  return S_OK;
}
