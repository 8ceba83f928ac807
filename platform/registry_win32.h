// Registry keys and string values in UTF-8, through the wide calls. Each
// returns the call's own status code (ERROR_SUCCESS on success).
#pragma once

#include <windows.h>

#include <string>

LSTATUS RegOpenKeyUtf8(HKEY parent, const char* subKey, REGSAM access, HKEY* key);
LSTATUS RegCreateKeyUtf8(HKEY parent, const char* subKey, REGSAM access, HKEY* key,
                         DWORD* disposition = nullptr);
// A REG_SZ or REG_EXPAND_SZ value (null name: the default value), however
// long; ERROR_UNSUPPORTED_TYPE for a value of another type.
LSTATUS RegReadStringUtf8(HKEY key, const char* name, std::string* value);
LSTATUS RegWriteStringUtf8(HKEY key, const char* name, const char* value);
LSTATUS RegDeleteValueUtf8(HKEY key, const char* name);
// Deletes a key without subkeys in the given registry view (KEY_WOW64_64KEY,
// KEY_WOW64_32KEY or 0).
LSTATUS RegDeleteKeyUtf8(HKEY parent, const char* subKey, REGSAM view = 0);
// The name of the subkey at `index`; ERROR_NO_MORE_ITEMS past the last.
LSTATUS RegEnumKeyUtf8(HKEY key, DWORD index, std::string* name);
// The name of the value at `index`; ERROR_NO_MORE_ITEMS past the last.
LSTATUS RegEnumValueUtf8(HKEY key, DWORD index, std::string* name);
