#include "hashing/threads_setting.h"

uint32_t ParseThreadsSetting(const char* value) {
  if (!value) return 0;
  while (*value == ' ' || *value == '\t') ++value;
  if (*value == '+') ++value;
  uint32_t number = 0;
  for (; *value >= '0' && *value <= '9'; ++value) {
    number = number * 10 + static_cast<uint32_t>(*value - '0');
    if (number > kMaxThreadsSetting) return kMaxThreadsSetting;
  }
  return number;
}
