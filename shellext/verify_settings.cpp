#include "shellext/verify_settings.h"

namespace {

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    if (x != *b) return false;
  }
  return *a == *b;
}

bool IsOneOf(const char* value, const char* const* words, int count) {
  for (int i = 0; i < count; ++i) {
    if (EqualsIgnoringCase(value, words[i])) return true;
  }
  return false;
}

}  // namespace

bool UpdateDbIsOn(const char* value) {
  static const char* const kOff[] = {"no", "false", "off"};
  return !(value[0] == '0' || IsOneOf(value, kOff, 3));
}

bool UppercaseExtensionIsOn(const char* value) {
  static const char* const kOn[] = {"yes", "y", "true", "on"};
  return value[0] == '1' || IsOneOf(value, kOn, 4);
}
