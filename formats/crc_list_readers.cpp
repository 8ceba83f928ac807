#include "formats/crc_list_readers.h"

#include <cstring>

#include "formats/line_reader.h"
#include "formats/parse_number.h"

namespace {

uint32_t SkipTo(const char* s, uint32_t i, char stop) {
  while (s[i] != '\0' && s[i] != stop) ++i;
  return i;
}
uint32_t SkipOver(const char* s, uint32_t i, char c) {
  while (s[i] == c) ++i;
  return i;
}

// The byte offset of column `column` in a UTF-8 row: the table's columns
// count characters (the dash line is ASCII), a name's character may take
// several bytes. The row's length when it has fewer characters.
uint32_t ByteOfColumn(const char* row, uint32_t rowLength, uint32_t column) {
  uint32_t i = 0;
  for (uint32_t c = 0; c < column && i < rowLength; ++c) {
    ++i;
    while (i < rowLength && (static_cast<unsigned char>(row[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

constexpr uint32_t kChunk = 512;

// Reads zero-terminated text from the current position into `out` (at most
// outSize - 1 bytes kept; outSize 0 keeps nothing) and leaves the position
// behind its zero byte, however long the text is. Returns the number of text
// bytes seen, -1 when the file ends before the zero byte or a read fails.
int64_t ReadZeroTerminated(NativeFile file, char* out, uint32_t outSize) {
  char chunk[kChunk];
  int64_t seen = 0;
  uint32_t kept = 0;
  for (;;) {
    uint32_t got = 0;
    if (!ReadFromFile(file, chunk, kChunk, &got) || got == 0) {
      if (outSize) out[kept] = '\0';
      return -1;
    }
    const void* zero = std::memchr(chunk, 0, got);
    const uint32_t textBytes =
        zero ? static_cast<uint32_t>(static_cast<const char*>(zero) - chunk) : got;
    const uint32_t room = outSize ? outSize - 1 - kept : 0;
    const uint32_t take = textBytes < room ? textBytes : room;
    if (take) std::memcpy(out + kept, chunk, take);
    kept += take;
    seen += textBytes;
    if (zero) {
      if (outSize) out[kept] = '\0';
      return SeekFile(file, static_cast<int64_t>(textBytes) + 1 - static_cast<int64_t>(got),
                      SeekFrom::Current, nullptr)
                 ? seen
                 : -1;
    }
  }
}

}  // namespace

void FindSheriffLayout(ListReader* reader, NativeFile file) {
  SheriffLayout* layout = &reader->Sheriff;
  layout->Found = false;
  layout->SizeColumn = layout->CrcColumn = 0;
  layout->DashLine[0] = '\0';
  char* line = layout->DashLine;
  for (;;) {
    if (ReadListTextLine(*reader, file, line, sizeof layout->DashLine) <= 0) {
      line[0] = '\0';
      return;
    }
    if (line[0] == '-') break;
  }
  // The columns start where the dash groups start: the size column at the
  // second group, the CRC column at the fourth. A line with fewer than four
  // groups gives no layout (the offsets would point past its end) and so no
  // entries.
  uint32_t i = SkipTo(line, 0, ' ');
  i = SkipOver(line, i, ' ');
  const uint32_t sizeColumn = i;
  i = SkipOver(line, SkipTo(line, i, ' '), ' ');
  i = SkipOver(line, SkipTo(line, i, ' '), ' ');
  if (line[sizeColumn] == '\0' || line[i] == '\0') return;
  layout->SizeColumn = sizeColumn;
  layout->CrcColumn = i;
  layout->Found = true;
}

int32_t ReadSheriffEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                         uint64_t* expectedSize, uint32_t* crc) {
  const SheriffLayout& layout = reader.Sheriff;
  for (;;) {
    const int32_t length = ReadListTextLine(reader, file, name, nameSize);
    if (length <= 0) return length;
    if (!layout.Found || std::strcmp(name, layout.DashLine) == 0) {
      // The closing dash line ends the table; nothing behind it is read.
      SeekFile(file, 0, SeekFrom::End, nullptr);
      name[0] = '\0';
      if (expectedSize) *expectedSize = UnknownSize;
      if (crc) *crc = 0xFFFFFFFF;
      return 0;
    }
    // A row that does not reach the CRC column is no file row (a caption or a
    // note inside the table): it is passed over.
    const uint32_t rowLength = static_cast<uint32_t>(std::strlen(name));
    const uint32_t sizeColumn = ByteOfColumn(name, rowLength, layout.SizeColumn);
    const uint32_t crcColumn = ByteOfColumn(name, rowLength, layout.CrcColumn);
    if (rowLength <= crcColumn) continue;

    // Only the digits of the size count: grouping characters are dropped and
    // the digits moved left over them, spaces filling the freed positions. A
    // size with no space behind it runs to the end of the row; the row is
    // still a string, so nothing is touched beyond it.
    uint32_t i = SkipOver(name, sizeColumn, ' ');
    const uint32_t fieldEnd = SkipTo(name, i, ' ');
    uint32_t put = i;
    for (uint32_t get = i; get < fieldEnd; ++get)
      if (name[get] >= '0' && name[get] <= '9') name[put++] = name[get];
    for (; put < fieldEnd; ++put) name[put] = ' ';
    if (expectedSize) *expectedSize = ParseUInt64(name + sizeColumn, 10);
    if (crc) *crc = ParseHex32(name + crcColumn);

    uint32_t end = sizeColumn;
    while (end > 0 && IsListSpace(name[end - 1])) --end;
    name[end] = '\0';
    return length;
  }
}

int32_t ReadBinaryCrcEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                           uint64_t* expectedSize, uint32_t* crc) {
  if (nameSize <= 0) return 0;
  for (;;) {
    // The name is ANSI text. One longer than FileName is passed over rather
    // than cut (a cut name could name another file); its record is still
    // read to its end, so the following records stay in step.
    const int64_t seen = ReadZeroTerminated(file, reader.Raw, sizeof reader.Raw);
    if (seen <= 0) return 0;
    const bool fits =
        seen < static_cast<int64_t>(sizeof reader.Raw) &&
        AnsiTextToUtf8(reader.Raw, static_cast<size_t>(seen), name, static_cast<size_t>(nameSize));
    // The second text is not used. It is skipped up to its zero byte whatever
    // its length, so a text longer than 259 bytes costs nothing and does not
    // throw the following records out of step.
    if (ReadZeroTerminated(file, nullptr, 0) < 0) return 0;
    unsigned char fixed[40];
    if (!ReadExactly(file, fixed, sizeof fixed)) return 0;  // a record cut short ends the list
    const uint32_t attributes = ReadLe32(fixed);
    if ((attributes & 0x10) || !fits) continue;  // a folder, or a name too long
    if (expectedSize) *expectedSize = ReadLe32(fixed + 28);
    if (crc) *crc = ReadLe32(fixed + 36);
    return 1;
  }
}
