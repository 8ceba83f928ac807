// The settings file's private-profile calls in UTF-8. The file's path may
// hold any character; keys and values of the settings are ASCII, and the file
// stays in the form the profile calls write (an ANSI file).
#pragma once

#include <windows.h>

#include <string>

std::string ReadProfileStringUtf8(const char* section, const char* key, const char* fallback,
                                  const char* file);
UINT ReadProfileIntUtf8(const char* section, const char* key, int fallback, const char* file);
// A null value deletes the key.
bool WriteProfileStringUtf8(const char* section, const char* key, const char* value,
                            const char* file);
