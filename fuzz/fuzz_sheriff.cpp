// JPEG Sheriff tables: the signature words lead the bytes, so every input is
// taken for a table and its dash line and rows come from the fuzzer.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ListFormat format =
      fuzzlist::RunBothHosts(".crc", data, size, "JPEG Sheriff\n").VerifierFormat;
  FUZZ_CHECK(format == ListFormat::SheriffCrc);
  return 0;
}
