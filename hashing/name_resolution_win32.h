// Locating an entry's file. Lists written elsewhere often name files with
// characters changed on the way (spaces turned into underscores, accents
// lost), so an exact test is followed, when the name does not exist, by a
// wildcard resolution that accepts the result only when exactly one file
// matches. Relative names are taken in the current directory (the list's
// folder during a run).
#pragma once

#include <windows.h>

#include <cstddef>

#include "hashing/entry_status.h"

// True when `name` reaches an existing file by its long name or, for a file
// with a separate 8.3 name, by that short name, without wildcard help.
bool FileExistsExactly(const char* name);

// The file's last-write time, resolving a missing name with the '?' pattern
// that keeps '-' and '.'. On false, `*why` is FileMissing, Unresolved or
// ReadError.
bool GetEntryFileTime(const char* name, FILETIME* lastWriteTime, EntryStatus* why);

// Turns every character of `name` that is not a letter or digit (and, unless
// keepDashDot, also '-' and '.') into `wildcard`, searches the pattern and
// returns the number of matches (folders included); the first match's bare
// name is copied into `firstMatch` (cut to `capacity` - 1 bytes).
int ResolveByWildcard(const char* name, char wildcard, bool keepDashDot, char* firstMatch,
                      size_t capacity);

// The pipeline's open: the file opened for hashing (read and write sharing,
// bypassing the cache), resolving a missing name with the '*' pattern. On
// failure returns INVALID_HANDLE_VALUE with `*why` set. `shellVariant` selects
// the shell extension's rules (the match also bypasses the cache, and a
// missing folder is a ReadError).
HANDLE OpenForHashing(const char* name, bool shellVariant, EntryStatus* why);
