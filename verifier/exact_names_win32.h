// The exact-name test of the run's previously-verified entries, answered
// from listings of the entries' folders once a list has asked often enough.
// Searching one name at a time costs a directory search per entry (on some
// systems a scan of the whole folder), which made long lists of previously
// verified entries slow; one listing per folder answers them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The names of one folder in UTF-8, upper-cased by the system's Unicode
// rules, long and 8.3 forms alike.
struct FolderNames {
  std::string folder;            // the folder part as the entries give it, "" = current
  std::vector<char> text;        // the names, each zero-terminated
  std::vector<uint32_t> sorted;  // offsets into text, in byte order of the names
  bool used = false;
};

struct ExactNames {
  FolderNames folders[4];
  uint32_t checks = 0;  // tests asked in this run
  uint32_t next = 0;    // the folder slot to replace next
  uint32_t loads = 0;   // listings taken in this run
};

// Forgets every listing: a run starts with none.
void ResetExactNames(ExactNames* names);

// The same answer as FileExistsExactly (the name reaches an existing file or
// folder by its long or short name, without wildcard help), from a listing
// of the name's folder taken when first needed in this run.
bool ExistsExactly(ExactNames* names, const char* name);
