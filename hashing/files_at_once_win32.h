// How the verifier's runs and the shell extension's commands hash their
// files: the one place that decides how many go at once and whether a large
// BLAKE3 file takes a second core.
#pragma once

#include <cstdint>

#include "hashing/file_hasher_win32.h"

// For files under `path` (UTF-8; empty is the current folder): Workers is
// FilesAtOnce of the storage's seek penalty (asked only when
// `threadsSetting` leaves it the decision), the setting and the processors;
// SplitBlake3Blocks is on where there are two processors or more.
// `threadsSetting` is the "Threads" setting as ParseThreadsSetting reads it.
// ShellVariant and Sleep keep their defaults.
FileHasherOptions HasherOptionsFor(const char* path, uint32_t threadsSetting);
