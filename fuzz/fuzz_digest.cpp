// The digest tools' lists: the first byte picks a name that gives an
// algorithm (or none, so that the content decides) and the program that
// reads the list; the rest is the list. Every line the parser accepts must
// come back the same when it is parsed once more from its parts.
#include "formats/digest_list.h"
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {".sha1",   ".sha256", ".SHA512", ".b3",
                                       ".blake3", ".md5",    ".txt",    ""};
  if (size == 0) return 0;
  const char* extension = kNames[data[0] & 7];
  const ListHost host = (data[0] & 8) ? ListHost::ShellExtension : ListHost::Verifier;
  fuzzlist::RunList(fuzzlist::WriteList(extension, data + 1, size - 1), host);

  // The whole input as one line: an accepted line has a name of 1 to 511
  // bytes without "/" and a digest of its algorithm's length.
  DigestLine line;
  const char* text = reinterpret_cast<const char*>(data + 1);
  if (ParseDigestLine(text, size - 1, nullptr, &line)) {
    FUZZ_CHECK(line.NameLength >= 1 && line.NameLength <= static_cast<uint32_t>(kMaxEntryName));
    FUZZ_CHECK(line.Name[line.NameLength] == '\0');
    FUZZ_CHECK(std::memchr(line.Name, '/', line.NameLength) == nullptr);
    FUZZ_CHECK(line.Algorithm != DigestAlgorithm::Crc32);
  }
  return 0;
}
