#include "formats/ckz_csv_readers.h"

#include <cstring>

#include "formats/parse_number.h"
#include "hashing/search.h"

namespace {

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = FoldToUpper(*a), y = FoldToUpper(*b);
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

}  // namespace

bool CheckCkzHeader(const ListReader& reader, NativeFile file) {
  char* line = reader.Line;
  if (ReadListTextLine(reader, file, line, sizeof reader.Line) <= 0) return false;
  return EqualsIgnoringCase(line, "CKZ00000002");
}

int32_t ReadCkzEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, uint32_t* crc) {
  char* line = reader.Line;
  for (;;) {
    bool cut = false;
    const int32_t length = ReadListTextLine(reader, file, line, sizeof reader.Line, &cut);
    if (length <= 0) return length;
    // A line longer than the buffer has lost its end; it is reported whole.
    char* bar1 = cut ? nullptr : std::strchr(line, '|');
    if (!bar1) {
      ReportInvalidLine(reader, "CKZ", line);
      continue;
    }
    *bar1 = '\0';
    char* bar2 = std::strchr(bar1 + 1, '|');
    char* bar3 = bar2 ? std::strchr(bar2 + 1, '|') : nullptr;
    // A name that does not fit FileName is rejected like a line without its
    // fields rather than cut to a name that would find the wrong file.
    const size_t nameLength = static_cast<size_t>(bar1 - line);
    if (!bar3 || nameSize <= 0 || nameLength >= static_cast<size_t>(nameSize)) {
      ReportInvalidLine(reader, "CKZ", line);  // the line is cut at the first bar by now
      continue;
    }
    std::memcpy(name, line, nameLength + 1);
    if (crc) *crc = ParseHex32(bar3 + 1);
    *bar3 = '\0';
    if (expectedSize) *expectedSize = ParseUInt64(bar2 + 1, 10);
    return 1;
  }
}

size_t NextCsvField(const char** cursor, char* out, size_t outSize) {
  const char* p = *cursor;
  while (IsListSpace(*p)) ++p;
  const char* begin;
  const char* end;
  if (*p == '"') {
    begin = p + 1;
    end = std::strchr(begin, '"');
    if (!end) return 0;
    p = std::strchr(end + 1, ',');  // text between the quote and the comma is skipped
    if (!p) p = end + 1 + std::strlen(end + 1);
  } else {
    begin = p;
    p = std::strchr(begin, ',');
    if (!p) p = begin + std::strlen(begin);
    end = p;
    while (end > begin && IsListSpace(end[-1])) --end;
  }
  const size_t length = static_cast<size_t>(end - begin);
  if (length == 0 || length >= outSize) return 0;
  std::memcpy(out, begin, length);
  out[length] = '\0';
  if (*p == ',') ++p;
  while (IsListSpace(*p)) ++p;
  *cursor = p;
  return length;
}

int32_t ReadCsvEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, uint32_t* crc) {
  char* line = reader.Line;
  char* work = reader.Field;
  constexpr size_t kWork = sizeof reader.Field;
  for (;;) {
    bool cut = false;
    const int32_t length = ReadListTextLine(reader, file, line, sizeof reader.Line, &cut);
    if (length <= 0) return length;
    const char* p = line;
    while (IsListSpace(*p)) ++p;
    if (*p == '\0') continue;
    // A line longer than the buffer has lost its end and is rejected; a name
    // longer than FileName does not fit and is rejected by NextCsvField.
    bool ok = !cut && nameSize > 0 && NextCsvField(&p, name, static_cast<size_t>(nameSize)) > 0;
    if (ok && (ok = NextCsvField(&p, work, kWork) > 0) && expectedSize)
      *expectedSize = ParseUInt64(work, 10);
    if (ok && (ok = NextCsvField(&p, work, kWork) > 0) && crc) *crc = ParseHex32(work);
    if (!ok) {
      ReportInvalidLine(reader, "CSV", line);
      continue;
    }
    return 1;
  }
}
