// Clearsigned lists: the first byte picks the name the list is read by (so
// the signed text is read in each format) and the program that reads it; the
// rest is the list, whose seeds are lists signed by gpg, with dash-escaped
// lines and lines added behind the signature. Besides the harness's checks
// (counting and reading agree, entries well formed, bounded reports), a
// signed list never keeps a database.
#include "formats/clearsigned.h"
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {".sfv", ".md5", ".sha256", ".xxh3",
                                       ".txt", ".csv", ".crc",    ""};
  if (size == 0) return 0;
  const char* extension = kNames[data[0] & 7];
  const ListHost host = (data[0] & 8) ? ListHost::ShellExtension : ListHost::Verifier;
  const char* path = fuzzlist::WriteList(extension, data + 1, size - 1);
  fuzzlist::RunList(path, host);

  static ListReader reader;
  InitListReader(&reader, ListHost::Verifier, nullptr, nullptr);
  UniqueFile file(OpenFile(path, OpenMode::ReadShared));
  FUZZ_CHECK(file.Valid());
  DetectListFormat(&reader, path, file.Get());
  CountListEntries(&reader, file.Get());
  const ClearsignedText& cs = reader.Clearsigned;
  if (cs.Signed) {
    FUZZ_CHECK(!ListMayKeepDatabase(reader));
    FUZZ_CHECK(cs.TextStart <= cs.SignatureStart && cs.SignatureStart <= cs.SignatureEnd);
  }
  return 0;
}
