#include "verifier/database_file.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "formats/line_reader.h"
#include "formats/list_reader.h"
#include "formats/par_list.h"
#include "formats/text_encoding.h"
#include "verifier/text_lines.h"

namespace {

// Database lines are short; a longer line is no database line whatever its
// start, and the splitter drops the rest of it.
constexpr int kDatabaseLineBuffer = 1024;

// The encoding a list's byte-order mark declares (formats/text_encoding.h):
// the database lines are written in UTF-16 into a UTF-16 list, and are ASCII
// bytes in any other. The position is left at the start.
TextEncoding ListMark(NativeFile file) {
  char head[3] = {};
  uint32_t got = 0;
  if (SetFilePosition(file, 0) != 0 || !ReadFromFile(file, head, sizeof head, &got)) got = 0;
  SetFilePosition(file, 0);
  return EncodingByMark(head, got);
}

// The next line of the list from the file, as UTF-8 in a UTF-16 list.
int32_t ReadLine(NativeFile file, TextEncoding encoding, char* line, int32_t size) {
  if (!IsUtf16(encoding)) return ReadListLine(file, line, size);
  char units[2 * kDatabaseLineBuffer];
  const bool big = encoding == TextEncoding::Utf16Be;
  const int32_t n = ReadListLineUtf16(file, big, units, sizeof units);
  if (n <= 0) return n;
  size_t written = 0;
  Utf16BytesToUtf8(reinterpret_cast<const unsigned char*>(units), static_cast<size_t>(n), big, line,
                   static_cast<size_t>(size) - 1, &written);
  line[written] = '\0';
  return written > 0 ? static_cast<int32_t>(written) : 1;
}

// Finds the first database line from the start. On success `*start` is the
// position before that line (blank lines in front of it included) and
// `*found` says whether there was one; the position is then undefined.
bool FindDatabaseStart(NativeFile file, TextEncoding encoding, uint64_t* start, bool* found) {
  *found = false;
  const uint64_t textStart = ByteOrderMarkSize(encoding);
  if (SetFilePosition(file, textStart) != textStart) return false;
  char line[kDatabaseLineBuffer];
  for (;;) {
    uint64_t before = GetFilePosition(file);
    int32_t n = ReadLine(file, encoding, line, sizeof line);
    if (n < 0) return false;
    if (n == 0) return true;
    if (IsDatabaseLine(line)) {
      *start = before;
      *found = true;
      return true;
    }
  }
}

// Lists up to this size are read into memory in a few large reads; larger
// files (an unrecognised extension makes any file an SFV list) are read line
// by line from the file.
constexpr uint64_t kWholeListLimit = 64ull << 20;

// Appends everything from the current position to the end.
bool ReadRest(NativeFile file, std::string* out) {
  char chunk[65536];
  for (;;) {
    uint32_t got = 0;
    if (!ReadFromFile(file, chunk, sizeof chunk, &got)) return false;
    if (got == 0) return true;
    out->append(chunk, got);
  }
}

// The whole list when it is small enough; false with `*whole` off when it is
// not, false with `*whole` on when reading failed.
bool ReadWholeList(NativeFile file, std::string* text, bool* whole) {
  *whole = false;
  uint64_t size = 0;
  if (!GetFileSize64(file, &size) || size > kWholeListLimit) return false;
  *whole = true;
  // One read straight into the text; a list that grew since its size was
  // taken gets the rest appended.
  text->resize(static_cast<size_t>(size));
  uint32_t got = 0;
  if (SetFilePosition(file, 0) != 0 ||
      !ReadFromFile(file, text->data(), static_cast<uint32_t>(size), &got)) {
    return false;
  }
  text->resize(got);
  return ReadRest(file, text);
}

// The first database line of a list held in memory, found as
// FindDatabaseStart finds it in the file.
bool FindDatabaseStartInText(const std::string& text, TextEncoding encoding, uint64_t* start) {
  size_t at = ByteOrderMarkSize(encoding);
  TextLine line;
  while (NextTextLine(text.data(), text.size(), &at, &line, encoding)) {
    if (IsDatabaseLine(line.text)) {
      *start = line.before;
      return true;
    }
  }
  return false;
}

// The lines after the first database line that are neither database lines
// nor comments: entries appended to the list after it was last stored.
std::string EntriesAfterDatabase(const std::string& tail) {
  std::string kept;
  size_t at = 0;
  while (at < tail.size()) {
    size_t end = tail.find_first_of("\r\n", at);
    if (end == std::string::npos) end = tail.size();
    std::string line = tail.substr(at, end - at);
    if (!line.empty() && line[0] != ';' && line[0] != '\0') {
      kept += line;
      kept += "\r\n";
    }
    at = end + 1;
  }
  return kept;
}

bool WriteAll(NativeFile file, const std::string& text) {
  return text.empty() || WriteToFile(file, text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace

bool LoadSfvDatabase(NativeFile list, const DatabaseContext& context, VerifiedBitmap* bitmap,
                     DatabaseScan* scan) {
  *scan = DatabaseScan{};
  std::string text;
  bool whole = false;
  if (ReadWholeList(list, &text, &whole)) {
    const TextEncoding encoding = EncodingByMark(text.data(), text.size());
    size_t at = ByteOrderMarkSize(encoding);
    TextLine line;
    while (NextTextLine(text.data(), text.size(), &at, &line, encoding)) {
      if (!FeedDatabaseLine(scan, context, line.text, bitmap)) break;
    }
    return SetFilePosition(list, 0) == 0;
  }
  if (whole || SetFilePosition(list, 0) != 0) {
    SetFilePosition(list, 0);
    return false;
  }
  const TextEncoding encoding = ListMark(list);
  const uint64_t textStart = ByteOrderMarkSize(encoding);
  if (SetFilePosition(list, textStart) != textStart) return false;
  char line[kDatabaseLineBuffer];
  for (;;) {
    int32_t n = ReadLine(list, encoding, line, sizeof line);
    if (n <= 0) break;
    if (!FeedDatabaseLine(scan, context, line, bitmap)) break;
  }
  return SetFilePosition(list, 0) == 0;
}

bool StoreSfvDatabase(const char* path, const char* signature, uint64_t time,
                      const VerifiedBitmap& bitmap, uint32_t entriesReached) {
  UniqueFile file(OpenFile(path, OpenMode::ReadWriteExclusive));
  if (!file) return false;
  // The lines go into the list in its own encoding: UTF-16 units into a
  // UTF-16 list, ASCII bytes into any other (which leaves a UTF-8 list valid
  // UTF-8).
  const TextEncoding encoding = ListMark(file.Get());
  const uint32_t unit = IsUtf16(encoding) ? 2 : 1;
  // Where the old database starts and the text behind it, or else the list's
  // size and last character: from the list in memory when it is small
  // enough, from the file otherwise.
  uint64_t start = 0;
  bool found = false;
  std::string tail;
  uint64_t size = 0;
  char last[2] = {};
  std::string whole;
  bool inMemory = false;
  if (ReadWholeList(file.Get(), &whole, &inMemory)) {
    found = FindDatabaseStartInText(whole, encoding, &start);
    if (found) tail = whole.substr(static_cast<size_t>(start));
    size = whole.size();
    if (size >= unit) whole.copy(last, unit, static_cast<size_t>(size - unit));
  } else if (inMemory || !FindDatabaseStart(file.Get(), encoding, &start, &found)) {
    return false;
  } else if (found) {
    if (SetFilePosition(file.Get(), start) != start || !ReadRest(file.Get(), &tail)) return false;
  } else {
    uint32_t got = 0;
    if (!GetFileSize64(file.Get(), &size)) return false;
    if (size >= unit && (SetFilePosition(file.Get(), size - unit) != size - unit ||
                         !ReadFromFile(file.Get(), last, unit, &got) || got != unit)) {
      return false;
    }
  }
  // The last character of the list: a byte, or a UTF-16 unit.
  const bool bigEndian = encoding == TextEncoding::Utf16Be;
  const char lastChar = unit == 1                      ? last[0]
                        : last[bigEndian ? 0 : 1] == 0 ? last[bigEndian ? 1 : 0]
                                                       : 0;
  const bool empty = size <= ByteOrderMarkSize(encoding);

  // The new database replaces the old one, keeping entries added after it;
  // without one it is appended, on a line of its own.
  std::string text;
  const uint64_t at = found ? start : size;
  if (found) {
    text = EntriesAfterDatabase(TextAsUtf8(tail.data(), tail.size(), encoding));
  } else if (!empty && lastChar != '\r' && lastChar != '\n') {
    text = "\r\n";
  }
  if (SetFilePosition(file.Get(), at) != at) return false;
  text += BuildDatabaseText(signature, time, bitmap, entriesReached);
  return WriteAll(file.Get(), TextForList(text, encoding)) && TruncateFileHere(file.Get());
}

bool BitmapDecision(void* bitmap, uint32_t k) {
  return EntryBit(*static_cast<const VerifiedBitmap*>(bitmap), k);
}

namespace {

bool ClearNothing(void*, uint32_t) {
  return false;
}

}  // namespace

bool ClearDatabase(const char* path, ListFormat format) {
  if (format == ListFormat::Sfv) {
    UniqueFile file(OpenFile(path, OpenMode::ReadWriteExclusive));
    if (!file) return false;
    uint64_t start = 0;
    bool found = false;
    if (!FindDatabaseStart(file.Get(), ListMark(file.Get()), &start, &found)) return false;
    if (!found) return true;
    return SetFilePosition(file.Get(), start) == start && TruncateFileHere(file.Get());
  }
  if (format == ListFormat::Par) {
    uint64_t fileListOffset = 0;
    {
      // Held without sharing during the check, as the rewrite will hold it.
      UniqueFile file(OpenFile(path, OpenMode::ReadWriteExclusive));
      if (!file) return false;
      // The reader record is too large for the stack.
      std::unique_ptr<ListReader> reader(new (std::nothrow) ListReader);
      if (!reader) return false;
      InitListReader(reader.get(), ListHost::Verifier, nullptr, nullptr);
      if (CheckParHeader(reader.get(), file.Get()) != ParCheck::Valid) return true;
      fileListOffset = ParFileListOffset(*reader);
    }
    return RewriteParStatus(path, fileListOffset, ClearNothing, nullptr);
  }
  return true;
}
