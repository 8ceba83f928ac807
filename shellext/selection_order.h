// Ordering of the selection list: paths compared case-insensitively (see
// CompareNoCase), equal paths kept in the order they came.
#pragma once

#include <cstddef>

#include "shellext/selection.h"

// Sorts a null-terminated chain by full path, stably, in O(n log n): the same
// order as inserting each node after the last one that does not compare
// greater. Returns the new head.
SelectedFile* SortSelectedFiles(SelectedFile* head);

// The last node of a chain (null for an empty one).
SelectedFile* LastSelectedFile(SelectedFile* head);

// Shortens `path` for messages into `out` (at least 16 bytes): unchanged when
// it fits, else its start, "..." and its end, each of whole UTF-8
// characters.
void ShortenPathForMessage(char* out, size_t capacity, const char* path);
