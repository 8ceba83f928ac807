// PAR 1.0 index files. Most inputs are mended into files that pass the header
// check (identification and control hash), so that the file list is read; the
// rewrite of the verified bits must then keep the file valid and change
// nothing but those bits and the control hash.
#include <string>
#include <vector>

#include "formats/par_list.h"
#include "list_fuzz.h"
#include "tests/formats/list_bytes.h"

namespace {

bool Decide(void* context, uint32_t k) {
  const std::string& pattern = *static_cast<const std::string*>(context);
  return pattern.empty() ? (k & 1) != 0 : (pattern[k % pattern.size()] & 1) != 0;
}

ParCheck Check(const char* path, ListReader* reader) {
  InitListReader(reader, ListHost::Verifier, nullptr, nullptr);
  UniqueFile file(OpenFile(path, OpenMode::ReadShared));
  FUZZ_CHECK(file.Valid());
  return CheckParHeader(reader, file.Get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const unsigned mode = size ? data[0] : 0;
  if (bytes.size() >= kParHeaderSize && (mode & 1)) {
    std::memcpy(&bytes[0], "PAR\0\0\0\0\0", 8);
    if (mode & 2) {  // the file list right behind the header
      std::memset(&bytes[64], 0, 8);
      bytes[64] = static_cast<char>(kParHeaderSize);
    }
    listtest::Seal(&bytes);
  }
  const char* path =
      fuzzlist::RunBothHosts(".par", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())
          .Path;

  static ListReader reader;
  if (Check(path, &reader) != ParCheck::Valid) return 0;
  const uint64_t offset = ParFileListOffset(reader);
  std::string pattern = bytes.substr(0, 8);
  FUZZ_CHECK(RewriteParStatus(path, offset, Decide, &pattern));
  const std::string after = listtest::ReadWhole(path);
  FUZZ_CHECK(after.size() == bytes.size());
  // The identification stays; the control hash is new; every other byte is
  // as it was or differs in bit 1 of a status field (a file list that starts
  // inside the header may put one there).
  FUZZ_CHECK(std::memcmp(after.data(), bytes.data(), 8) == 0);
  for (size_t i = 8; i < after.size(); ++i) {
    if (i >= 16 && i < 32) continue;
    const unsigned diff = static_cast<unsigned char>(after[i] ^ bytes[i]);
    FUZZ_CHECK(diff == 0 || diff == kParVerifiedBit);
  }
  FUZZ_CHECK(Check(path, &reader) == ParCheck::Valid);
  return 0;
}
