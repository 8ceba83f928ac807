#include "shellext/collect_selection_win32.h"

#include <cstring>

#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/path_bytes.h"
#include "platform/window_text_win32.h"
#include "shellext/list_name.h"
#include "shellext/selection_order.h"

namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// What a refused path's message shows of it.
constexpr size_t kRefusedShown = 200;
// The file hasher takes a path of up to kMaxPathBytes with its terminator.
constexpr size_t kJobPathBytes = kMaxPathBytes - 1;

// UTF-16 units of UTF-8 text: one per character, two above U+FFFF.
size_t Utf16Length(const char* text, size_t bytes) {
  size_t units = 0;
  for (size_t i = 0; i < bytes; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

bool Listable(const std::string& path) {
  return path.size() <= kJobPathBytes &&
         (path.size() <= kLongPathUnits || Utf16Length(path.data(), path.size()) <= kLongPathUnits);
}

SelectedFile* NewNode(RecordPool* pool) {
  return static_cast<SelectedFile*>(PoolAllocate(pool));
}

// Records a path too long to be listed. False when memory runs out.
bool Refuse(RecordPool* pool, Selection* selection, const std::string& path) {
  SelectedFile* node = NewNode(pool);
  if (!node) return false;
  char shown[kRefusedShown];
  ShortenPathForMessage(shown, sizeof shown, path.c_str());
  const size_t length = std::strlen(shown);
  node->Path = StorePath(&selection->Paths, shown, length);
  if (!node->Path) return false;
  node->PathLength = static_cast<uint32_t>(length);
  node->Next = selection->Refused;
  selection->Refused = node;
  ++selection->RefusedCount;
  return true;
}

// A node for `path`, or for a path too long: a refused entry and no node.
// False when memory runs out.
bool NodeFor(RecordPool* pool, Selection* selection, const std::string& path, SelectedFile** node) {
  *node = nullptr;
  if (!Listable(path)) return Refuse(pool, selection, path);
  *node = NewNode(pool);
  if (!*node) return false;
  (*node)->Path = StorePath(&selection->Paths, path.data(), path.size());
  (*node)->PathLength = static_cast<uint32_t>(path.size());
  return (*node)->Path != nullptr;
}

// folder + "\" + name.
std::string Join(const char* folder, size_t folderLength, const std::string& name) {
  if (folderLength && folder[folderLength - 1] == '\\') --folderLength;
  std::string joined;
  joined.reserve(folderLength + 1 + name.size());
  joined.append(folder, folderLength);
  joined += '\\';
  joined += name;
  return joined;
}

bool IsDotEntry(const std::string& name) {
  return name == "." || name == "..";
}

bool IsFolder(const char* path) {
  DWORD attributes = GetFileAttributesUtf8(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One folder: its files sorted after *tail, its subfolders (junctions and
// symbolic links to folders left out) as a chain in search order (returned
// through `subfolders`, their Hidden set as inherited).
bool CollectOneFolder(const SelectedFile& folder, bool hidden, RecordPool* pool,
                      Selection* selection, SelectedFile** tail, SelectedFile** subfolders) {
  *subfolders = nullptr;
  SelectedFile* files = nullptr;
  SelectedFile** filesEnd = &files;
  SelectedFile** foldersEnd = subfolders;
  FoundFile found;
  UniqueFindHandle search(
      FindFirstUtf8(Join(folder.Path, folder.PathLength, "*.*").c_str(), &found));
  if (!search) return true;  // nothing matches: an empty or unreadable folder
  uint32_t count = 0;
  bool ok = true;
  do {
    if (IsDotEntry(found.Name)) continue;
    const DWORD attributes = found.Attributes;
    // Junctions and symbolic links to folders are not entered: one that
    // points at a folder above would repeat the tree until the paths are too
    // long, two of them make the walk exponential. Other reparse folders
    // (cloud-sync folders, say) hold real files and are walked. A reparse
    // folder whose tag the search does not give (Wine's view of a Unix
    // symbolic link) is taken for a link.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (found.ReparseTag == 0 || IsReparseTagNameSurrogate(found.ReparseTag)))
      continue;
    SelectedFile* node = nullptr;
    ok = NodeFor(pool, selection, Join(folder.Path, folder.PathLength, found.Name), &node);
    if (!ok) break;
    if (!node) continue;
    node->Hidden = hidden || (attributes & kHiddenOrSystem) ? 1 : 0;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      *foldersEnd = node;
      foldersEnd = &node->Next;
    } else {
      *filesEnd = node;
      filesEnd = &node->Next;
      ++count;
    }
  } while (FindNextUtf8(search.Get(), &found));
  *foldersEnd = nullptr;
  *filesEnd = nullptr;
  files = SortSelectedFiles(files);
  if (files) {
    if (*tail)
      (*tail)->Next = files;
    else
      selection->Head = files;
    *tail = LastSelectedFile(files);
  }
  selection->FileCount += count;
  return ok;
}

// Shortens the base length to the folder part that `path` shares with the
// first item's: whole names between '\' compared case-insensitively ('\'
// never occurs inside a UTF-8 character). The base length is one for all
// paths, so names that are equal but of different lengths end it.
uint32_t CommonBase(const SelectedFile& first, const SelectedFile& path, uint32_t base) {
  uint32_t common = 0;
  for (uint32_t start = 0; start < base && start < path.PathLength;) {
    const void* a = std::memchr(first.Path + start, '\\', base - start);
    const void* b = std::memchr(path.Path + start, '\\', path.PathLength - start);
    if (!a || !b) break;
    const uint32_t length = static_cast<uint32_t>(static_cast<const char*>(a) - first.Path) - start;
    if (static_cast<uint32_t>(static_cast<const char*>(b) - path.Path) - start != length ||
        CompareNoCase(first.Path + start, length, path.Path + start, length) != 0)
      break;
    start += length + 1;
    common = start;
  }
  return common;
}

}  // namespace

uint32_t ListedPathLimit() {
  return kJobPathBytes < kLongPathUnits ? static_cast<uint32_t>(kJobPathBytes) : kLongPathUnits;
}

std::vector<std::string> ReadDropPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  for (UINT i = 0; i < count; ++i) paths.push_back(DragQueryFileUtf8(drop, i));
  return paths;
}

bool CollectFolder(const char* folder, bool hidden, RecordPool* pool, Selection* selection,
                   SelectedFile** tail) {
  // Pending folders, next first. Each folder's subfolders go in front of the
  // ones still pending, in search order: a depth-first walk.
  SelectedFile* pending = nullptr;
  SelectedFile* current = nullptr;
  if (!NodeFor(pool, selection, folder, &current)) return false;
  if (!current) return true;
  current->Hidden = hidden;
  current->Next = nullptr;
  pending = current;
  while (pending) {
    current = pending;
    pending = current->Next;
    SelectedFile* subfolders = nullptr;
    bool ok = CollectOneFolder(*current, current->Hidden != 0, pool, selection, tail, &subfolders);
    if (subfolders) {
      LastSelectedFile(subfolders)->Next = pending;
      pending = subfolders;
    }
    PoolRelease(pool, current);
    if (!ok) return false;
  }
  return true;
}

bool CollectSelection(const std::vector<std::string>& items, RecordPool* pool,
                      Selection* selection) {
  SelectedFile* files = nullptr;
  SelectedFile** filesEnd = &files;
  SelectedFile* folders = nullptr;
  SelectedFile** foldersEnd = &folders;
  const SelectedFile* first = nullptr;  // the first item's node
  bool ok = true;
  for (size_t i = 0; i < items.size() && ok; ++i) {
    const std::string& path = items[i];
    if (path.empty()) continue;
    if (i == 0) {
      const size_t slash = path.rfind('\\');
      const size_t base = slash == std::string::npos ? 0 : slash + 1;
      // A first item too long to be listed is refused; the others must not
      // have their names taken from beyond their paths.
      selection->BaseLength = Listable(path) ? static_cast<uint32_t>(base) : 0;
    }
    SelectedFile* node = nullptr;
    ok = NodeFor(pool, selection, path, &node);
    if (!node) continue;
    if (i == 0) first = node;
    if (IsFolder(node->Path)) {
      *foldersEnd = node;
      foldersEnd = &node->Next;
    } else {
      *filesEnd = node;
      filesEnd = &node->Next;
      ++selection->FileCount;
    }
  }
  *filesEnd = nullptr;
  *foldersEnd = nullptr;
  // Items from several folders (a search's results): names are relative to
  // the folder they all lie in, never cut inside another file's name.
  for (int pass = 0; pass < 2 && first; ++pass)
    for (const SelectedFile* f = pass ? folders : files; f; f = f->Next)
      selection->BaseLength = CommonBase(*first, *f, selection->BaseLength);
  selection->Head = SortSelectedFiles(files);
  SelectedFile* tail = LastSelectedFile(selection->Head);
  while (ok && folders) {
    SelectedFile* folder = folders;
    folders = folder->Next;
    ok = CollectFolder(folder->Path, false, pool, selection, &tail);
    PoolRelease(pool, folder);
  }
  return ok;
}
