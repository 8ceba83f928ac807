// Binary CRC lists: a 128-byte header, then records of two zero-terminated
// texts and fixed fields.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The header is skipped unread; a blank one keeps every input binary.
  static const char header[129] =
      "                                                                "
      "                                                                ";
  fuzzlist::RunBothHosts(".crc", data, size, header);
  return 0;
}
