// SFV lists and "CRC Values for " text lists.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzlist::RunBothHosts(".sfv", data, size);
  // The same bytes as a text list behind its header line.
  fuzzlist::RunBothHosts(".crc", data, size, "CRC Values for fuzz\r\n");
  return 0;
}
