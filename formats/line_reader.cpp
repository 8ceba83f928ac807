#include "formats/line_reader.h"

#include "formats/line_split.h"

namespace {

// The open file as the line splitter's source: one read of kLineChunk bytes
// into its own buffer at a time, moves relative to the current position.
struct FileLineSource {
  NativeFile file;
  char chunk[kLineChunk];

  bool Read(const char** data, uint32_t* got) {
    *data = chunk;
    return ReadFromFile(file, chunk, kLineChunk, got);
  }
  bool Move(int64_t delta) { return SeekFile(file, delta, SeekFrom::Current, nullptr); }
};

}  // namespace

int32_t ReadListLine(NativeFile file, char* buffer, int32_t bufferSize, bool* cut) {
  FileLineSource source{file, {}};
  return SplitNextLine(source, buffer, bufferSize, cut);
}

int32_t ReadListLineUtf16(NativeFile file, bool bigEndian, char* buffer, int32_t bufferSize,
                          bool* cut) {
  FileLineSource source{file, {}};
  return bigEndian ? SplitNextLineOf<Utf16Units<true>>(source, buffer, bufferSize, cut)
                   : SplitNextLineOf<Utf16Units<false>>(source, buffer, bufferSize, cut);
}

uint64_t GetFilePosition(NativeFile file) {
  uint64_t position = 0;
  if (!SeekFile(file, 0, SeekFrom::Current, &position)) return 0;
  return position;
}

uint64_t SetFilePosition(NativeFile file, uint64_t position) {
  uint64_t now = 0;
  if (SeekFile(file, static_cast<int64_t>(position), SeekFrom::Begin, &now)) return now;
  return GetFilePosition(file);
}
