#include "formats/par_list.h"

#include <cstring>
#include <memory>
#include <new>

#include "formats/line_reader.h"
#include "hashing/md5.h"
#include "platform/utf8.h"

namespace {

constexpr unsigned char kParMagic[8] = {'P', 'A', 'R', 0, 0, 0, 0, 0};

}  // namespace

void HashFileFrom(NativeFile file, uint64_t from, unsigned char digest[16]) {
  MD5_CTX context;
  MD5Init(&context);
  SetFilePosition(file, from);
  unsigned char chunk[512];
  for (;;) {
    uint32_t got = 0;
    if (!ReadFromFile(file, chunk, sizeof chunk, &got) || got == 0) break;
    MD5Update(&context, chunk, got);
  }
  MD5Final(digest, &context);
}

ParCheck CheckParHeader(ListReader* reader, NativeFile file) {
  reader->ParHeaderRead = false;
  uint32_t got = 0;
  if (!ReadFromFile(file, reader->ParHeader, kParHeaderSize, &got) || got < kParHeaderSize) {
    // A failed read cannot be undone by reading on from wherever it stopped;
    // the end of the file is where reading then finds nothing.
    SeekFile(file, 0, SeekFrom::End, nullptr);
    return ParCheck::TooShort;
  }
  reader->ParHeaderRead = true;
  if (std::memcmp(reader->ParHeader, kParMagic, sizeof kParMagic) != 0) return ParCheck::Invalid;
  unsigned char digest[16];
  HashFileFrom(file, 32, digest);
  if (std::memcmp(digest, reader->ParHeader + 16, 16) != 0) return ParCheck::Invalid;
  const uint64_t start = ParFileListOffset(*reader);
  if (SetFilePosition(file, start) != start) SeekFile(file, 0, SeekFrom::End, nullptr);
  return ParCheck::Valid;
}

uint32_t ParEntrySize(const ListReader& reader) {
  return static_cast<uint32_t>(ReadLe64(reader.ParEntry));
}
uint64_t ParEntryStatus(const ListReader& reader) {
  return ReadLe64(reader.ParEntry + 8);
}
uint64_t ParEntryFileSize(const ListReader& reader) {
  return ReadLe64(reader.ParEntry + 16);
}
const unsigned char* ParEntryMd5(const ListReader& reader) {
  return reader.ParEntry + 24;
}

int32_t ReadParEntry(ListReader* reader, NativeFile file, char* name, int32_t nameSize) {
  unsigned char* entry = reader->ParEntry;
  for (;;) {
    if (!ReadExactly(file, entry, kParEntryFixed)) return 0;
    const uint32_t size = ParEntrySize(*reader);
    if (size < kParEntryFixed || size - kParEntryFixed > kParNameBytes) return 0;
    const uint32_t nameBytes = size - kParEntryFixed;
    if (!ReadExactly(file, entry + kParEntryFixed, nameBytes)) return 0;

    if (nameSize <= 0) return 0;
    // An odd last byte is no unit.
    const int32_t written = Utf16BytesToUtf8(entry + kParEntryFixed, nameBytes, false, name,
                                             static_cast<size_t>(nameSize - 1));
    if (written < 0) {
      name[0] = '\0';
      return 0;
    }
    name[written] = '\0';
    // A zero unit inside the name would cut it to another file's name: the
    // entry is passed over (by every pass alike, so the entries keep their
    // numbers).
    if (std::memchr(name, 0, static_cast<size_t>(written)) != nullptr) continue;
    return 1;
  }
}

bool RewriteParStatus(const char* path, uint64_t fileListOffset, ParDecision decide,
                      void* context) {
  UniqueFile file(OpenFile(path, OpenMode::ReadWriteExclusive));
  if (!file) return false;
  // Only the entry buffer of the record is used; a reader of its own keeps
  // the caller's state untouched. It is too large for the stack.
  std::unique_ptr<ListReader> owned(new (std::nothrow) ListReader);
  if (!owned) return false;
  ListReader& reader = *owned;
  InitListReader(&reader, ListHost::Verifier, nullptr, nullptr);
  char* name = reader.CountName;
  bool ok = true;
  // An offset the file cannot be moved to has no entries to rewrite.
  const bool atList = SetFilePosition(file.Get(), fileListOffset) == fileListOffset;
  // Each entry is written back over itself (it lies just before where the
  // reading stopped: entries the reader passes over are left as they are),
  // which leaves the file where the next one starts.
  for (uint32_t k = 0; atList; ++k) {
    if (ReadParEntry(&reader, file.Get(), name, sizeof reader.CountName) <= 0) break;
    uint64_t status = ParEntryStatus(reader);
    status = decide(context, k) ? (status | kParVerifiedBit) : (status & ~kParVerifiedBit);
    for (int i = 0; i < 8; ++i)
      reader.ParEntry[8 + i] = static_cast<unsigned char>(status >> (8 * i));
    const uint32_t size = ParEntrySize(reader);
    const uint64_t position = GetFilePosition(file.Get()) - size;
    if (SetFilePosition(file.Get(), position) != position ||
        !WriteToFile(file.Get(), reader.ParEntry, size)) {
      ok = false;
      break;
    }
  }
  unsigned char digest[16];
  HashFileFrom(file.Get(), 32, digest);
  if (SetFilePosition(file.Get(), 16) != 16 || !WriteToFile(file.Get(), digest, 16)) ok = false;
  return ok;
}
