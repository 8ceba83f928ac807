// The shell extension's selection: the files of one context-menu command in
// the order the command works through them, with room for the checksums that
// list creation computes. Nodes come from a fixed-size record pool that the
// command sets up and tears down as a whole.
#pragma once

#include <cstdint>

struct SelectedFile {
  SelectedFile* Next;
  char Path[512];  // full path
  uint32_t Crc;    // list creation: the computed CRC-32
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
  uint32_t BaseLength;  // characters up to and including the last '\' of the first item
  // Files and folders whose full path does not fit into SelectedFile::Path:
  // they are not in the list above. Each node's Path holds a shortened form
  // for messages (its start, "...", its end).
  SelectedFile* Refused;
  uint32_t RefusedCount;
};

// The name a file has in lists and results: its path relative to the folder
// that holds the selection.
inline const char* RelativeName(const Selection& s, const SelectedFile& f) {
  return f.Path + s.BaseLength;
}
