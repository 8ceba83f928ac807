#include "formats/list_reader.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "formats/digest_list.h"
#include "formats/line_reader.h"
#include "platform/ansi_codepage.h"
#include "platform/utf8.h"

void InitListReader(ListReader* reader, ListHost host, InvalidLineSink report, void* context) {
  std::memset(reader, 0, sizeof *reader);
  reader->Host = host;
  reader->Report = report;
  reader->ReportContext = context;
  reader->Format = ListFormat::Sfv;
}

uint64_t ReadLe64(const unsigned char* bytes) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes[i];
  return v;
}

uint32_t ReadLe32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
         (uint32_t{bytes[3]} << 24);
}

bool ReadExactly(NativeFile file, void* buffer, uint32_t size) {
  uint32_t got = 0;
  return ReadFromFile(file, buffer, size, &got) && got == size;
}

const char* InvalidLineKind(const ListReader& reader) {
  switch (reader.Format) {
    case ListFormat::Md5:
      return "MD5";
    case ListFormat::Ckz:
      return "CKZ";
    case ListFormat::Csv:
      return "CSV";
    case ListFormat::SheriffCrc:
    case ListFormat::BinaryCrc:
      return "CRC";
    case ListFormat::DigestList:
      return reader.DigestNamed ? DigestTag(reader.NamedAlgorithm) : "checksum";
    default:
      return "SFV";
  }
}

void ReportInvalidLine(const ListReader& reader, const char* kind, const char* line,
                       size_t length) {
  if (reader.Host != ListHost::Verifier || !reader.Report) return;
  std::string text = "Invalid line in ";
  text += kind;
  text += " file: \"";
  size_t i = 0;
  for (size_t quoted = 0; i < length && quoted < kMaxQuotedCharacters; ++quoted) {
    uint32_t cp = 0;
    const int n = DecodeUtf8(line + i, length - i, &cp);
    if (n > 0 && cp != 0) {
      text.append(line + i, static_cast<size_t>(n));
      i += static_cast<size_t>(n);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(line[i]));
      text += hex;
      ++i;
    }
  }
  if (i < length) text += "...";
  text += '"';
  reader.Report(reader.ReportContext, text.c_str());
}

namespace {

// The length of the whole characters of `text` that fit `room` bytes.
size_t WholeCharacters(const char* text, size_t size, size_t room) {
  if (size <= room) return size;
  size_t n = room;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

// Lines the readers pass over unread: their bytes are never a name.
bool IsCommentLine(const ListReader& reader, char first) {
  if (first == ';') return reader.Format == ListFormat::Sfv || reader.Format == ListFormat::TextCrc;
  return first == '#' && reader.Format == ListFormat::DigestList;
}

// Copies the whole characters of `utf8` that fit; false when not all did.
bool CopyFitting(const std::string& utf8, char* out, size_t capacity) {
  const size_t n = WholeCharacters(utf8.data(), utf8.size(), capacity - 1);
  std::memcpy(out, utf8.data(), n);
  out[n] = '\0';
  return n == utf8.size();
}

// A UTF-16 line (bytes in the list's order) with a zero unit inside.
bool HasZeroUnit(const char* bytes, int32_t size) {
  for (int32_t k = 0; k + 1 < size; k += 2)
    if (bytes[k] == 0 && bytes[k + 1] == 0) return true;
  return false;
}

}  // namespace

bool AnsiTextToUtf8(const char* ansi, size_t size, char* out, size_t capacity) {
  if (capacity == 0) return false;
  out[0] = '\0';
  std::string utf8;
  if (!AppendAnsiAsUtf8(ansi, size, &utf8)) return false;
  return CopyFitting(utf8, out, capacity);
}

int32_t ReadListTextLine(const ListReader& reader, NativeFile file, char* buffer,
                         int32_t bufferSize, bool* cut) {
  if (reader.Clearsigned.Signed) return ReadClearsignedLine(reader, file, buffer, bufferSize, cut);
  return ReadListTextLineAsStored(reader, file, buffer, bufferSize, cut);
}

int32_t ReadListTextLineAsStored(const ListReader& reader, NativeFile file, char* buffer,
                                 int32_t bufferSize, bool* cut) {
  if (cut) *cut = false;
  if (bufferSize < 1) return 0;
  for (;;) {
    if (IsUtf16(reader.Encoding)) {
      const bool big = reader.Encoding == TextEncoding::Utf16Be;
      bool unitsCut = false;
      const int32_t n = ReadListLineUtf16(file, big, reader.Raw, sizeof reader.Raw, &unitsCut);
      if (n <= 0) {
        buffer[0] = '\0';
        return n;
      }
      const auto* units = reinterpret_cast<const unsigned char*>(reader.Raw);
      if (HasZeroUnit(reader.Raw, n)) {
        const std::string shown = TextAsUtf8(reader.Raw, static_cast<size_t>(n), reader.Encoding);
        ReportInvalidLine(reader, InvalidLineKind(reader), shown.data(), shown.size());
        continue;
      }
      size_t written = 0;
      const bool fits = Utf16BytesToUtf8(units, static_cast<size_t>(n), big, buffer,
                                         static_cast<size_t>(bufferSize) - 1, &written) >= 0;
      buffer[written] = '\0';
      if (cut) *cut = unitsCut || !fits;
      // A line that became nothing (no room at all) still is a line.
      return written > 0 ? static_cast<int32_t>(written) : 1;
    }
    bool lineCut = false;
    const int32_t n = ReadListLine(file, buffer, bufferSize, &lineCut);
    if (cut) *cut = lineCut;
    if (n <= 0) return n;
    size_t length = static_cast<size_t>(n);
    if (IsCommentLine(reader, buffer[0])) return n;
    bool valid = std::memchr(buffer, 0, length) == nullptr;
    std::string utf8;
    if (valid && !IsAsciiText(buffer, length)) {
      if (reader.Encoding == TextEncoding::Ansi) {
        valid = AppendAnsiAsUtf8(buffer, length, &utf8);
      } else {
        bool truncated = false;
        const size_t good = WellFormedUtf8Prefix(buffer, length, &truncated);
        // A line cut by the buffer may end inside a sequence: it ends
        // before it (the line is cut anyway).
        if (good < length && lineCut && truncated) {
          length = good;
          buffer[length] = '\0';
        }
        valid = good == length;
      }
    }
    if (!valid) {
      ReportInvalidLine(reader, InvalidLineKind(reader), buffer, length);
      continue;
    }
    if (utf8.empty()) return static_cast<int32_t>(length);
    if (!CopyFitting(utf8, buffer, static_cast<size_t>(bufferSize)) && cut) *cut = true;
    const size_t converted = std::strlen(buffer);
    return converted > 0 ? static_cast<int32_t>(converted) : 1;
  }
}
