// How many files a command of the shell extension hashes at once: the
// storage under the selection, the "Threads" setting of the [Corvana]
// section and the processors decide (FilesAtOnce).
#pragma once

#include <cstdint>

// `path` is a selected file (UTF-8); `settingsPath` the settings file, or
// null for the bare name.
uint32_t ShellFilesAtOnce(const char* path, const char* settingsPath);
