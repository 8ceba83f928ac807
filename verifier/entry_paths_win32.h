// Where a list's entries are found and how their files are hashed: shared by
// the verifier's run and the console program's check, so that both open the
// same file for the same entry and hash as many files at once.
#pragma once

#include <cstdint>
#include <string>

#include "formats/list_reader.h"

// The absolute form of a list's path (the path itself when the system cannot
// tell it).
std::string FullPathOf(const char* path);

// The folder part of a path (up to its last '\'), or "" when it has none;
// "C:\" stays a root.
std::string ListFolderOf(const std::string& path);

// True for a name that is taken from a root or a drive of its own ("\x",
// "C:x", "C:\x") rather than from the list's folder.
bool StandsAlone(const char* name);

// How an entry's name reaches its file.
enum class EntryRoute : uint8_t { Open, NotOpened, TooLong };

// The path the entry's file is opened by, and how many bytes of it are the
// folder the name was joined to: the name taken in `folder` (the list's, or
// the base folder in effect) by the one rule for list names (ListNamePath).
// A name on another machine, or a device, is not opened; a path longer than
// the system's paths is not cut.
EntryRoute EntryPath(const std::string& folder, const std::string& name, std::string* path,
                     uint32_t* nameStart);

// A list taken as UTF-8 by its content may be an older ANSI list whose bytes
// happen to be valid UTF-8: when the UTF-8 reading of the entry's name names
// no file in `folder` and its ANSI reading does, the list is read as ANSI
// from then on, and the entry's name becomes its ANSI reading. Once enough
// names outside ASCII have been found under their UTF-8 reading the list is
// UTF-8 beyond doubt (an ANSI list's bytes make existing UTF-8 names only by
// chance), and its other names are no longer looked up twice. `*confirmed`
// counts them; it starts at 0 for each list.
void TakeAnsiReadingWhenItExists(ListReader* reader, uint32_t* confirmed, const std::string& folder,
                                 ListEntry* entry);
