// CKZ lists, with the header the verifier checks and without it.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzlist::RunBothHosts(".ckz", data, size);
  fuzzlist::RunBothHosts(".CKZ", data, size, "ckz00000002\n");
  return 0;
}
