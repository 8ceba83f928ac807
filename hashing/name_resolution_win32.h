// Locating an entry's file. Lists written elsewhere often name files with
// characters changed on the way (spaces turned into underscores, accents
// lost), so an exact test is followed, when the name does not exist, by a
// wildcard resolution that accepts the result only when exactly one file
// matches. Names are UTF-8 and may be long (platform/path_bytes.h). A
// name may be the path of a list's name joined to the list's folder: its
// first `nameStart` bytes are then that folder, which the wildcard pattern
// keeps as it is and in which a match is opened; with 0 the whole name is the
// pattern and a match lies in the current folder.
#pragma once

#include <windows.h>

#include <cstddef>

#include "hashing/entry_status.h"
#include "platform/path_bytes.h"

// True when `name` reaches an existing file by its long name or, for a file
// with a separate 8.3 name, by that short name, without wildcard help.
bool FileExistsExactly(const char* name);

// The file's last-write time, resolving a missing name with the '?' pattern
// that keeps '-' and '.'. On false, `*why` is FileMissing, Unresolved or
// ReadError.
bool GetEntryFileTime(const char* name, FILETIME* lastWriteTime, EntryStatus* why,
                      size_t nameStart = 0);

// Turns every UTF-16 unit of `name` behind its first `nameStart` bytes that
// is not an ASCII letter or digit (and, unless keepDashDot, also '-' and '.')
// into `wildcard`, searches the pattern and returns the number of matches
// (folders included); the first match's bare name is copied into
// `firstMatch` (empty when it does not fit `capacity`).
int ResolveByWildcard(const char* name, char wildcard, bool keepDashDot, char* firstMatch,
                      size_t capacity, size_t nameStart = 0);

// The file hasher's open: the file opened for hashing (read and write sharing,
// bypassing the cache), resolving a missing name with the '*' pattern. On
// failure returns INVALID_HANDLE_VALUE with `*why` set. `shellVariant` selects
// the shell extension's rules (the match also bypasses the cache, and a
// missing folder is a ReadError).
HANDLE OpenForHashing(const char* name, bool shellVariant, EntryStatus* why, size_t nameStart = 0);
