// CSV lists and the field splitter on its own.
#include <string>

#include "formats/ckz_csv_readers.h"
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzlist::RunBothHosts(".csv", data, size);
  // Every field of the text, each time into a buffer that is just big enough
  // for some fields and too small for others.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* cursor = text.c_str();
  char out[64];
  for (size_t outSize = 1; *cursor && outSize <= sizeof out; ++outSize) {
    const char* before = cursor;
    const size_t n = NextCsvField(&cursor, out, outSize);
    if (n == 0) {
      FUZZ_CHECK(cursor == before);
      break;
    }
    FUZZ_CHECK(n < outSize && std::strlen(out) == n);
    FUZZ_CHECK(cursor > before && cursor <= text.c_str() + text.size());
  }
  return 0;
}
