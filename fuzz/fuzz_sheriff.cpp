// JPEG Sheriff tables: the signature words lead the bytes, so every input is
// taken for a table and its dash line and rows come from the fuzzer.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ListFormat format = [&] {
    const char* path = fuzzlist::WriteList(".crc", data, size, "JPEG Sheriff\n");
    fuzzlist::RunList(path, ListHost::ShellExtension);
    return fuzzlist::RunList(path, ListHost::Verifier);
  }();
  FUZZ_CHECK(format == ListFormat::SheriffCrc);
  return 0;
}
