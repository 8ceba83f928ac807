#include "formats/list_reader.h"

#include <cstring>
#include <string>

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

void ReportInvalidLine(const ListReader& reader, const char* kind, const char* line) {
  if (reader.Host != ListHost::Verifier || !reader.Report) return;
  std::string text = "Invalid line in ";
  text += kind;
  text += " file: \"";
  text += line;
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

}  // namespace

bool AnsiTextToUtf8(const char* ansi, size_t size, char* out, size_t capacity) {
  if (capacity == 0) return false;
  std::string utf8;
  AppendAnsiAsUtf8(ansi, size, &utf8);
  const size_t n = WholeCharacters(utf8.data(), utf8.size(), capacity - 1);
  std::memcpy(out, utf8.data(), n);
  out[n] = '\0';
  return n == utf8.size();
}

int32_t ReadListTextLine(const ListReader& reader, NativeFile file, char* buffer,
                         int32_t bufferSize, bool* cut) {
  if (reader.Clearsigned.Signed) return ReadClearsignedLine(reader, file, buffer, bufferSize, cut);
  return ReadListTextLineAsStored(reader, file, buffer, bufferSize, cut);
}

int32_t ReadListTextLineAsStored(const ListReader& reader, NativeFile file, char* buffer,
                                 int32_t bufferSize, bool* cut) {
  if (IsUtf16(reader.Encoding)) {
    bool unitsCut = false;
    const int32_t n = ReadListLineUtf16(file, reader.Encoding == TextEncoding::Utf16Be, reader.Raw,
                                        sizeof reader.Raw, &unitsCut);
    if (cut) *cut = false;
    if (n <= 0 || bufferSize < 1) {
      if (bufferSize >= 1) buffer[0] = '\0';
      return n;
    }
    size_t written = 0;
    const bool fits =
        Utf16BytesToUtf8(reinterpret_cast<const unsigned char*>(reader.Raw), static_cast<size_t>(n),
                         reader.Encoding == TextEncoding::Utf16Be, buffer,
                         static_cast<size_t>(bufferSize) - 1, &written) >= 0;
    buffer[written] = '\0';
    if (cut) *cut = unitsCut || !fits;
    // A line that became nothing (no room at all) still is a line.
    return written > 0 ? static_cast<int32_t>(written) : 1;
  }
  const int32_t n = ReadListLine(file, buffer, bufferSize, cut);
  if (reader.Encoding != TextEncoding::Ansi || n <= 0 ||
      IsAsciiText(buffer, static_cast<size_t>(n))) {
    return n;
  }
  std::memcpy(reader.Raw, buffer, static_cast<size_t>(n));
  if (!AnsiTextToUtf8(reader.Raw, static_cast<size_t>(n), buffer,
                      static_cast<size_t>(bufferSize)) &&
      cut) {
    *cut = true;
  }
  const size_t length = std::strlen(buffer);
  return length > 0 ? static_cast<int32_t>(length) : 1;
}
