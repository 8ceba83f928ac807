// Collects the selection of a context-menu command: the dropped files sorted
// by path, then per selected folder its files sorted and its subfolders'
// contents depth first. Folders are walked with a list of pending folders on
// the heap, never by recursion on the caller's (Explorer's) stack.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "results/record_pool.h"
#include "shellext/selection.h"

// Fills `selection` (zeroed by the caller) from the drop with nodes of
// `pool`. False only when memory runs out; the nodes taken stay in the pool,
// which the caller tears down.
bool CollectSelection(HDROP drop, RecordPool* pool, Selection* selection);

// Appends the files below `folder` (without or with a trailing '\') to the
// list whose last node is `*tail` (null for an empty list), with the folder's
// own files sorted first and then each subfolder's in the order the
// directory search returns them. `hidden` marks every file found as hidden
// (the folder itself is). False when memory runs out.
bool CollectFolder(const char* folder, bool hidden, RecordPool* pool, Selection* selection,
                   SelectedFile** tail);
