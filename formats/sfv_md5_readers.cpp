#include "formats/sfv_md5_readers.h"

#include <cstring>

#include "formats/parse_number.h"

namespace {

int32_t ReadNameCrcLine(const ListReader& reader, NativeFile file, char* line, int32_t size,
                        uint64_t* expectedSize, uint32_t* crc, bool trimHyphens) {
  if (expectedSize) *expectedSize = UnknownSize;
  for (;;) {
    bool cut = false;
    const int32_t length = ReadListTextLine(reader, file, line, size, &cut);
    if (length <= 0) return length;
    if (line[0] == ';') continue;
    // A line longer than the buffer has lost its checksum (it is at the end),
    // so it cannot be read as an entry; it is reported like any invalid line.
    char* separator = cut ? nullptr : std::strrchr(line, ' ');
    if (!separator) {
      ReportInvalidLine(reader, "SFV", line);
      continue;
    }
    const uint32_t value = ParseHex32(separator + 1);
    if (crc) *crc = value;
    char* end = separator;
    while (end > line && (IsListSpace(end[-1]) || (trimHyphens && end[-1] == '-'))) --end;
    *end = '\0';
    if (line[0] == '"') {
      const size_t n = static_cast<size_t>(end - line);
      std::memmove(line, line + 1, n);  // n - 1 name bytes and the terminator
      if (n >= 2 && line[n - 2] == '"') line[n - 2] = '\0';
    }
    return length;
  }
}

int HexArithmetic(char c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  int value = static_cast<unsigned char>(c) - '0';
  if (value > 10) value -= 39;
  return value;
}

}  // namespace

int32_t ReadSfvEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, uint32_t* crc) {
  return ReadNameCrcLine(reader, file, name, nameSize, expectedSize, crc, false);
}

int32_t ReadTextCrcEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                         uint64_t* expectedSize, uint32_t* crc) {
  return ReadNameCrcLine(reader, file, name, nameSize, expectedSize, crc, true);
}

int32_t ReadMd5Entry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, unsigned char* digest) {
  char* line = reader.Line;
  for (;;) {
    bool cut = false;
    const int32_t length = ReadListTextLine(reader, file, line, sizeof reader.Line, &cut);
    if (length <= 0) return length;
    // Lines without the shape are skipped silently; so is a line longer than
    // the buffer, whose name would be cut.
    if (cut || std::strlen(line) < 34 || line[32] != ' ' || (line[33] != '*' && line[33] != ' '))
      continue;
    const size_t nameLength = std::strlen(line + 34);
    // A name longer than the caller's buffer is skipped, never cut.
    if (nameSize <= 0 || nameLength >= static_cast<size_t>(nameSize)) continue;
    std::memcpy(name, line + 34, nameLength + 1);
    if (digest) {
      for (int i = 15; i >= 0; --i) {
        // Unsigned, so that the arithmetic of a non-hex character (negative
        // below "0") wraps instead of shifting a negative value.
        const unsigned high = static_cast<unsigned>(HexArithmetic(line[2 * i]));
        const unsigned low = static_cast<unsigned>(HexArithmetic(line[2 * i + 1]));
        digest[i] = static_cast<unsigned char>((high << 4) | low);
      }
    }
    if (expectedSize) *expectedSize = UnknownSize;
    return static_cast<int32_t>(nameLength);
  }
}
