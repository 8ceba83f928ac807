// Collects the selection of a context-menu command: the selected files sorted
// by path, then per selected folder its files sorted and its subfolders'
// contents depth first. Folders are walked with a list of pending folders on
// the heap, never by recursion on the command thread's stack.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "results/record_pool.h"
#include "shellext/selection.h"

// The paths a selection lists: up to the system's long-path limit (32,767
// UTF-16 units with the "\\?\UNC\" prefix and the terminator), and no longer
// than the file hasher takes (platform/path_bytes.h). A longer path is refused, never cut.
constexpr uint32_t kLongPathUnits = 32758;
// The limit in characters as messages name it.
uint32_t ListedPathLimit();

// The dropped items' full paths (UTF-8), in the drop's order. Read on the
// thread that holds the drop, before the command's thread takes over.
std::vector<std::string> ReadDropPaths(HDROP drop);

// Fills `selection` (zeroed by the caller) from the selected items' full
// paths, with nodes of `pool` and paths in selection->Paths. False only when
// memory runs out; what was taken stays in the pool and the store, which the
// caller tears down.
bool CollectSelection(const std::vector<std::string>& items, RecordPool* pool,
                      Selection* selection);

// Appends the files below `folder` (without or with a trailing '\') to the
// list whose last node is `*tail` (null for an empty list), with the folder's
// own files sorted first and then each subfolder's in the order the
// directory search returns them. `hidden` marks every file found as hidden
// (the folder itself is). False when memory runs out.
bool CollectFolder(const char* folder, bool hidden, RecordPool* pool, Selection* selection,
                   SelectedFile** tail);
