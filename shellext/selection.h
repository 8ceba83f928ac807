// The shell extension's selection: the files of one context-menu command in
// the order the command works through them, with room for the checksums that
// list creation computes. Nodes come from a fixed-size record pool and their
// paths from a path store, both set up and torn down by the command as a
// whole.
#pragma once

#include <cstdint>

#include "shellext/path_store.h"

struct SelectedFile {
  SelectedFile* Next;
  const char* Path;     // full path, UTF-8, in the selection's path store
  uint32_t PathLength;  // its bytes
  uint32_t Crc;         // list creation: the computed CRC-32
  unsigned char Md5[16];
  uint32_t Hashed;  // list creation: non-zero when the file was hashed
  // Non-zero for a file found inside a selected folder that is hidden or
  // system, or lies below a hidden or system subfolder; 0 for a file the user
  // selected by name.
  uint32_t Hidden;
};

struct Selection {
  SelectedFile* Head;   // sorted as the context menu's command collects it
  uint32_t FileCount;   // nodes in the list
  uint32_t BaseLength;  // bytes up to and including the last '\' of the first item
  // Files and folders whose full path is longer than a selection lists:
  // they are not in the list above. Each node's Path holds a shortened form
  // for messages (its start, "...", its end).
  SelectedFile* Refused;
  uint32_t RefusedCount;
  PathStore Paths;  // the text of every node's Path
};

// The name a file has in lists and results: its path relative to the folder
// that holds the selection.
inline const char* RelativeName(const Selection& s, const SelectedFile& f) {
  return f.Path + s.BaseLength;
}
