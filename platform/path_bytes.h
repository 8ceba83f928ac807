// How long a path may be inside the system: a name or path of up to 32,767
// bytes of UTF-8 (what the wide calls take in their \\?\ form), or a list's
// name joined to its folder, with its terminator. A longer one is refused by
// the caller rather than cut.
#pragma once

#include <cstddef>

constexpr size_t kMaxPathBytes = 32768;
