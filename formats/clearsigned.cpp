#include "formats/clearsigned.h"

#include <cstring>
#include <string>

#include "formats/line_reader.h"
#include "formats/list_reader.h"

namespace {

constexpr char kMessageBegin[] = "-----BEGIN PGP SIGNED MESSAGE-----";
constexpr char kSignatureBegin[] = "-----BEGIN PGP SIGNATURE-----";
constexpr char kSignatureEnd[] = "-----END PGP SIGNATURE-----";
// A report stays one line of a results window: a longer line is shown by
// its start (whole UTF-8 characters) and "...".
constexpr size_t kShownLine = 960;

// An armor line, compared as RFC 4880 reads them: trailing blanks do not
// count.
bool IsArmorLine(const char* line, const char* armor) {
  const size_t n = std::strlen(armor);
  if (std::strncmp(line, armor, n) != 0) return false;
  for (const char* p = line + n; *p; ++p)
    if (*p != ' ' && *p != '\t') return false;
  return true;
}

}  // namespace

bool FindClearsignedText(ListReader* reader, NativeFile file) {
  ClearsignedText found{};
  char* line = reader->Field;
  const int32_t size = sizeof reader->Field;
  SetFilePosition(file, ListTextStart(*reader));
  if (ReadListTextLineAsStored(*reader, file, line, size) <= 0 ||
      !IsArmorLine(line, kMessageBegin)) {
    return false;
  }
  found.Signed = true;
  // The armor headers ("Hash: SHA256"), then the signed text; the blank line
  // between them is one the line reader never returns.
  for (;;) {
    found.TextStart = GetFilePosition(file);
    if (ReadListTextLineAsStored(*reader, file, line, size) <= 0 ||
        std::strncmp(line, "Hash:", 5) != 0) {
      break;
    }
  }
  SetFilePosition(file, found.TextStart);
  bool inSignature = false;
  found.SignatureStart = found.SignatureEnd = ~uint64_t{0};
  for (;;) {
    const uint64_t at = GetFilePosition(file);
    if (ReadListTextLineAsStored(*reader, file, line, size) <= 0) break;
    if (!inSignature && IsArmorLine(line, kSignatureBegin)) {
      // `at` is the end of the text's last line: only blank lines lie
      // between it and the armor line.
      found.SignatureStart = at;
      inSignature = true;
    } else if (inSignature && IsArmorLine(line, kSignatureEnd)) {
      found.SignatureEnd = GetFilePosition(file);
      break;
    }
  }
  uint64_t end = ~uint64_t{0};
  SeekFile(file, 0, SeekFrom::End, &end);
  if (found.SignatureStart == ~uint64_t{0}) found.SignatureStart = end;
  if (found.SignatureEnd == ~uint64_t{0}) found.SignatureEnd = end;
  reader->Clearsigned = found;
  return true;
}

int32_t ReadClearsignedLine(const ListReader& reader, NativeFile file, char* buffer,
                            int32_t bufferSize, bool* cut) {
  const ClearsignedText& cs = reader.Clearsigned;
  for (;;) {
    if (GetFilePosition(file) < cs.SignatureStart) {
      const int32_t n = ReadListTextLineAsStored(reader, file, buffer, bufferSize, cut);
      if (n <= 0) return n;
      // Blank lines before the signature end the text without a line of it:
      // the line read then is the signature's first.
      if (GetFilePosition(file) <= cs.SignatureStart) {
        if (buffer[0] != '-' || buffer[1] != ' ') return n;
        std::memmove(buffer, buffer + 2, static_cast<size_t>(n) - 1);  // with the terminator
        if (n > 2) return n - 2;
        continue;  // "- " alone was an empty line
      }
    }
    // Behind the signed text: the signature is passed over, and whatever
    // follows it was added by someone who did not sign it.
    if (GetFilePosition(file) < cs.SignatureEnd) SetFilePosition(file, cs.SignatureEnd);
    const int32_t n = ReadListTextLineAsStored(reader, file, buffer, bufferSize, cut);
    if (n <= 0) return n;
    if (reader.Host == ListHost::Verifier && reader.Report) {
      std::string text = "Line outside the signed text: ";
      size_t shown = std::strlen(buffer);
      if (shown > kShownLine) {
        shown = kShownLine;
        while (shown > 0 && (static_cast<unsigned char>(buffer[shown]) & 0xC0) == 0x80) --shown;
      }
      text.append(buffer, shown);
      if (buffer[shown] != '\0') text += "...";
      reader.Report(reader.ReportContext, text.c_str());
    }
  }
}
