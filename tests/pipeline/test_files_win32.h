// Folders and files on the real file system, shared by the Win32 test
// programs. Kept apart from test_folder_win32.h: the end-to-end tests have a
// TestFolder of their own and link only this.
#pragma once

#include <cstdint>
#include <string>

// A new, empty folder under the system's temporary folder, named after `tag`
// and this process; the path ends with '\'.
std::string MakeTempFolder(const char* tag);

// Deletes a folder (with or without a trailing '\') and everything below it.
void RemoveTree(const std::string& path);

// A file of `size` bytes that occupies no disk space: every byte reads as 0,
// so it is long to hash and free to make.
bool MakeSparseFile(const std::string& path, uint64_t size);

// A Linux path as Wine sees it, on drive Z: with backslashes; any path that
// does not start with '/' is returned as it is.
std::string WindowsPath(const char* path);
