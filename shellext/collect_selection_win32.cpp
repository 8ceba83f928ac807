#include "shellext/collect_selection_win32.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/handles_win32.h"
#include "shellext/list_name.h"
#include "shellext/selection_order.h"

namespace {

constexpr size_t kPathCapacity = sizeof(SelectedFile::Path);
constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Working memory of one collection, on the heap: a search pattern or a
// joined path may be longer than a node can hold.
struct CollectWork {
  char Joined[kPathCapacity + MAX_PATH + 8];
  WIN32_FIND_DATAA Found;
};

struct MallocFree {
  void operator()(void* p) const { std::free(p); }
};

SelectedFile* NewNode(RecordPool* pool) {
  return static_cast<SelectedFile*>(PoolAllocate(pool));
}

// Records a path that does not fit into a node. False when memory runs out.
bool Refuse(RecordPool* pool, Selection* selection, const char* path) {
  SelectedFile* node = NewNode(pool);
  if (!node) return false;
  ShortenPathForMessage(node->Path, 200, path);
  node->Next = selection->Refused;
  selection->Refused = node;
  ++selection->RefusedCount;
  return true;
}

// A node for `path`, or for a path too long: a refused entry and no node.
// False when memory runs out.
bool NodeFor(RecordPool* pool, Selection* selection, const char* path, SelectedFile** node) {
  *node = nullptr;
  if (std::strlen(path) >= kPathCapacity) return Refuse(pool, selection, path);
  *node = NewNode(pool);
  if (!*node) return false;
  std::strcpy((*node)->Path, path);
  return true;
}

// folder + "\" + name into work->Joined.
const char* Join(CollectWork* work, const char* folder, const char* name) {
  size_t length = std::strlen(folder);
  if (length && folder[length - 1] == '\\') --length;
  std::memcpy(work->Joined, folder, length);
  work->Joined[length] = '\\';
  size_t nameLength = std::strlen(name);
  if (length + 1 + nameLength >= sizeof work->Joined) nameLength = 0;  // cannot occur
  std::memcpy(work->Joined + length + 1, name, nameLength + 1);
  return work->Joined;
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool IsFolder(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One folder: its files sorted after *tail, its subfolders as a chain in
// search order (returned through `subfolders`, their Hidden set as inherited).
bool CollectOneFolder(const char* folder, bool hidden, RecordPool* pool, Selection* selection,
                      SelectedFile** tail, SelectedFile** subfolders, CollectWork* work) {
  *subfolders = nullptr;
  SelectedFile* files = nullptr;
  SelectedFile** filesEnd = &files;
  SelectedFile** foldersEnd = subfolders;
  UniqueFindHandle search(FindFirstFileA(Join(work, folder, "*.*"), &work->Found));
  if (!search) return true;  // nothing matches: an empty or unreadable folder
  uint32_t count = 0;
  do {
    const char* name = work->Found.cFileName;
    if (IsDotEntry(name)) continue;
    DWORD attributes = work->Found.dwFileAttributes;
    SelectedFile* node = nullptr;
    if (!NodeFor(pool, selection, Join(work, folder, name), &node)) return false;
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
  } while (FindNextFileA(search.Get(), &work->Found));
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
  return true;
}

// Shortens the base length to the folder part that `path` shares with the
// first item's (compared case-insensitively, up to and including a '\').
uint32_t CommonBase(const char* first, const char* path, uint32_t base) {
  uint32_t common = 0;
  for (uint32_t i = 0; i < base; ++i) {
    char a[2] = {first[i], 0}, b[2] = {path[i], 0};
    if (!a[0] || CompareNoCase(a, b) != 0) break;
    if (a[0] == '\\') common = i + 1;
  }
  return common;
}

}  // namespace

bool CollectFolder(const char* folder, bool hidden, RecordPool* pool, Selection* selection,
                   SelectedFile** tail) {
  std::unique_ptr<CollectWork, MallocFree> work(
      static_cast<CollectWork*>(std::calloc(1, sizeof(CollectWork))));
  if (!work) return false;
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
    bool ok = CollectOneFolder(current->Path, current->Hidden != 0, pool, selection, tail,
                               &subfolders, work.get());
    if (subfolders) {
      LastSelectedFile(subfolders)->Next = pending;
      pending = subfolders;
    }
    PoolRelease(pool, current);
    if (!ok) return false;
  }
  return true;
}

bool CollectSelection(HDROP drop, RecordPool* pool, Selection* selection) {
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  size_t capacity = kPathCapacity;
  std::unique_ptr<char, MallocFree> path(static_cast<char*>(std::malloc(capacity)));
  if (!path) return false;
  SelectedFile* files = nullptr;
  SelectedFile** filesEnd = &files;
  SelectedFile* folders = nullptr;
  SelectedFile** foldersEnd = &folders;
  const SelectedFile* first = nullptr;  // the first item's node
  bool ok = true;
  for (UINT i = 0; i < count && ok; ++i) {
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    if (length + 1 > capacity) {
      capacity = length + 1;
      path.reset(static_cast<char*>(std::malloc(capacity)));
      if (!path) return false;
    }
    if (DragQueryFileA(drop, i, path.get(), static_cast<UINT>(capacity)) != length) continue;
    if (i == 0) {
      const char* slash = std::strrchr(path.get(), '\\');
      size_t base = slash ? static_cast<size_t>(slash - path.get() + 1) : 0;
      // A first item too long for a node is refused; the others must not
      // have their names taken from beyond their paths.
      selection->BaseLength = base < kPathCapacity ? static_cast<uint32_t>(base) : 0;
    }
    SelectedFile* node = nullptr;
    ok = NodeFor(pool, selection, path.get(), &node);
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
      selection->BaseLength = CommonBase(first->Path, f->Path, selection->BaseLength);
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
