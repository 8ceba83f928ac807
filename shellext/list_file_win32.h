// Writing a created list's file: shared by "&Create .SFV File" and the
// console program's create, so that both write the same bytes and put the
// list in place the same way.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "shellext/list_name.h"

// Writes the `length` bytes formatted into `line` (a buffer of `capacity`
// bytes) followed by the type's line end. False when the line could not be
// formatted (a negative length), leaves no room for its end, or is not
// written whole: a list with a line missing would be wrong.
bool WriteListLine(HANDLE file, ListType type, char* line, size_t capacity, int length);

// The header of an SFV or MD5 list: the generator line (its WIN-SFV32
// compatible form with `compatible`), the address line and ";". Nothing for
// the digest lists, whose tools write none. False when a line failed.
bool WriteListHeader(HANDLE file, ListType type, bool compatible, char* line, size_t capacity);

// The comment line of one file of an SFV or MD5 list from what the file
// system says of it: its size and its last-write time in local time.
int FormatFileCommentFromData(char* line, size_t capacity, const WIN32_FILE_ATTRIBUTE_DATA& data,
                              const char* name);

// A new file beside `path` (in its folder), "crvXXXX.tmp" as the system's
// temporary names go, created by this call so that no other program's file
// is taken; open for writing without sharing. INVALID_HANDLE_VALUE when none
// can be made. `*created` receives its path.
HANDLE CreateFileBeside(const std::string& path, std::string* created);
