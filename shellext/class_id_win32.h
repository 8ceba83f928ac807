// The class identifier under which the shell extension is registered.
#pragma once

#include <windows.h>

inline constexpr CLSID kShellExtensionClassId = {
    0x5c1e7a42, 0x93b0, 0x4d6f, {0xa8, 0xe1, 0x2f, 0x70, 0xc4, 0xd9, 0xb3, 0x16}};
inline constexpr char kShellExtensionClassIdText[] = "{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}";
