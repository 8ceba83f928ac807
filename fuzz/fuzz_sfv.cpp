// SFV lists and "CRC Values for " text lists.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace fuzzlist;
  const char* path = WriteList(".sfv", data, size);
  RunList(path, ListHost::Verifier);
  RunList(path, ListHost::ShellExtension);
  // The same bytes as a text list behind its header line.
  RunBothHosts(".crc", data, size, "CRC Values for fuzz\r\n");
  return 0;
}
