// MD5 lists.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzlist::RunBothHosts(".md5", data, size);
  return 0;
}
