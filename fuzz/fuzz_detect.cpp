// Detection as a whole: the first byte picks the list's name and the program
// that reads it; the rest is the list.
#include "list_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {".sfv", ".SFV", ".txt", ".md5", ".MD5", ".ckz",
                                       ".csv", ".crc", ".CRC", ".par", ".PAR", "",
                                       ".s",   ".bin", "crc",  ".Crc"};
  if (size == 0) return 0;
  const char* extension = kNames[data[0] & 15];
  const ListHost host = (data[0] & 16) ? ListHost::ShellExtension : ListHost::Verifier;
  const char* path = fuzzlist::WriteList(extension, data + 1, size - 1);
  fuzzlist::RunList(path, host);
  return 0;
}
