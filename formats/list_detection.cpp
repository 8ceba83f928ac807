#include "formats/list_detection.h"

#include <cstring>
#include <string>

#include "formats/ckz_csv_readers.h"
#include "formats/crc_list_readers.h"
#include "formats/digest_list.h"
#include "formats/line_reader.h"
#include "formats/par_list.h"
#include "formats/sfv_md5_readers.h"
#include "hashing/search.h"

namespace {

constexpr uint32_t kVerifierSample = 32768;
constexpr uint32_t kShellSample = 512;
constexpr uint64_t kBinaryCrcHeader = 128;

bool EndsWithIgnoringCase(const char* path, size_t length, const char* extension) {
  const char* tail = path + length - 4;
  for (int i = 0; i < 4; ++i) {
    if (FoldToUpper(tail[i]) != FoldToUpper(extension[i])) return false;
  }
  return true;
}

bool HasSfvExtension(const char* path) {
  const size_t length = std::strlen(path);
  return length >= 4 && EndsWithIgnoringCase(path, length, ".sfv");
}

// Reads the sample from offset 0; its length, 0 for an empty file or a failed
// read.
uint32_t ReadSample(NativeFile file, char* sample, uint32_t size) {
  SetFilePosition(file, 0);
  uint32_t total = 0;
  while (total < size) {
    uint32_t got = 0;
    if (!ReadFromFile(file, sample + total, size - total, &got)) return 0;
    if (got == 0) break;
    total += got;
  }
  return total;
}

void LocateSheriffTable(ListReader* reader, NativeFile file) {
  SetFilePosition(file, ListTextStart(*reader));
  FindSheriffLayout(reader, file);
}

// The content refinement of a ".crc" list. The sample of a UTF-16 list is
// searched in its UTF-8 form.
void RefineCrcList(ListReader* reader, NativeFile file) {
  const bool shell = reader->Host == ListHost::ShellExtension;
  static_assert(kVerifierSample <= sizeof reader->Raw, "the sample fits the work buffer");
  char* sample = reader->Raw;
  uint32_t length = ReadSample(file, sample, shell ? kShellSample : kVerifierSample);
  std::string utf8;
  if (IsUtf16(reader->Encoding) && length >= 2) {
    utf8 = TextAsUtf8(sample + 2, length - 2, reader->Encoding);
    sample = utf8.data();
    length = static_cast<uint32_t>(utf8.size());
  }
  if (length > 0 && szSearchi(sample, length, "jpeg") && szSearchi(sample, length, "Sheriff")) {
    reader->Format = ListFormat::SheriffCrc;
    LocateSheriffTable(reader, file);
    return;
  }
  if (!shell && length > 0 && szSearchi(sample, length, "CRC Values for ")) {
    reader->Format = ListFormat::TextCrc;
    SetFilePosition(file, ListTextStart(*reader));
    ReadListTextLine(*reader, file, reader->CountName, sizeof reader->CountName);
    reader->TextCrcFirst = GetFilePosition(file);
    return;
  }
  // Binary records: their names are ANSI text.
  reader->Format = ListFormat::BinaryCrc;
  reader->Encoding = TextEncoding::Ansi;
  SetFilePosition(file, kBinaryCrcHeader);
}

}  // namespace

bool ClassifyListPath(ListHost host, const char* path, ListFormat* format) {
  const size_t length = std::strlen(path);
  *format = ListFormat::Sfv;
  // The digest tools' extensions come first (".sha256" ends in no extension
  // of the table below); their "SUMS" names only after the table, so that
  // "SHA256SUMS.sfv" stays an SFV list while "SHA256SUMS.txt" is not one.
  DigestNaming naming;
  bool byExtension = false;
  const bool digestName = DigestListNaming(path, &naming, &byExtension);
  const bool md5 = naming.Named && naming.Algorithm == DigestAlgorithm::Md5;
  const ListFormat digestFormat = md5 ? ListFormat::Md5 : ListFormat::DigestList;
  if (digestName && byExtension && !md5) {
    // The shell extension wants a name before the extension.
    const char* dot = std::strrchr(path, '.');
    if (host == ListHost::ShellExtension && (dot == path || dot[-1] == '\\' || dot[-1] == '/'))
      return false;
    *format = digestFormat;
    return true;
  }
  // The shell extension considers only names longer than four characters; in
  // the verifier a path shorter than four characters has no extension to
  // compare and reads as SFV, while one of exactly four (".md5") is compared.
  if (host == ListHost::ShellExtension && length <= 4) return false;
  if (length < 4) return true;
  struct Known {
    const char* Extension;
    ListFormat Format;
  };
  static const Known kKnown[] = {{".ckz", ListFormat::Ckz}, {".crc", ListFormat::BinaryCrc},
                                 {".csv", ListFormat::Csv}, {".par", ListFormat::Par},
                                 {".md5", ListFormat::Md5}, {".sfv", ListFormat::Sfv}};
  for (const Known& k : kKnown) {
    if (EndsWithIgnoringCase(path, length, k.Extension)) {
      *format = k.Format;
      return true;
    }
  }
  if (digestName) {
    *format = digestFormat;
    return true;
  }
  return host == ListHost::Verifier;
}

static bool DetectListFormatQuietly(ListReader* reader, const char* path, NativeFile file) {
  reader->Invalid = false;
  reader->TextCrcFirst = 0;
  reader->ParHeaderRead = false;
  reader->Sheriff.Found = false;
  reader->DigestNamed = false;
  reader->DigestXxhList = false;
  reader->Clearsigned = ClearsignedText{};
  reader->SoundEntries = 0;
  if (!ClassifyListPath(reader->Host, path, &reader->Format)) return false;
  if (reader->Format == ListFormat::DigestList || reader->Format == ListFormat::Md5)
    TakeDigestNaming(reader, path);
  // PAR names are UTF-16 whatever the bytes around them look like.
  reader->Encoding = reader->Format == ListFormat::Par
                         ? TextEncoding::Utf16Le
                         : DetectFileEncoding(file, reader->Raw, sizeof reader->Raw);
  // A text list may come inside a clear signature; from here on its text is
  // the signed text alone.
  if (reader->Format != ListFormat::Par) FindClearsignedText(reader, file);
  SetFilePosition(file, reader->Format == ListFormat::Par ? 0 : ListTextStart(*reader));
  switch (reader->Format) {
    case ListFormat::Md5:
      // A ".md5" list of tagged or escaped lines, or of longer digests, is
      // one the Md5 reader cannot read.
      if (SniffDigestList(*reader, file) == DigestContent::Digest)
        reader->Format = ListFormat::DigestList;
      SetFilePosition(file, ListTextStart(*reader));
      break;
    case ListFormat::Sfv:
      // Only a list that is not named ".sfv" may turn out to be a digest list,
      // and only when its first lines are digest lines and nothing else.
      if (reader->Host == ListHost::Verifier && !HasSfvExtension(path) &&
          SniffDigestList(*reader, file) != DigestContent::None) {
        reader->Format = ListFormat::DigestList;
      }
      SetFilePosition(file, ListTextStart(*reader));
      break;
    case ListFormat::BinaryCrc:
      RefineCrcList(reader, file);
      break;
    case ListFormat::Ckz:
      if (reader->Host == ListHost::Verifier) {
        if (!CheckCkzHeader(*reader, file)) reader->Invalid = true;
      }
      break;
    case ListFormat::Par:
      if (CheckParHeader(reader, file) == ParCheck::Invalid) reader->Invalid = true;
      break;
    default:
      break;
  }
  // Binary records are no text that could be signed.
  if (reader->Format == ListFormat::BinaryCrc && reader->Clearsigned.Signed) {
    reader->Clearsigned = ClearsignedText{};
    SetFilePosition(file, kBinaryCrcHeader);
  }
  return true;
}

bool DetectListFormat(ListReader* reader, const char* path, NativeFile file) {
  // The lines detection reads are read again, and reported, by the reading
  // pass.
  const InvalidLineSink report = reader->Report;
  reader->Report = nullptr;
  const bool taken = DetectListFormatQuietly(reader, path, file);
  reader->Report = report;
  return taken;
}

void TakeDigestNaming(ListReader* reader, const char* path) {
  DigestNaming naming;
  DigestListNaming(path, &naming);
  reader->DigestNamed = naming.Named;
  reader->NamedAlgorithm = naming.Algorithm;
  reader->DigestXxhList = naming.XxhList;
}

bool SfvChecksumIsSound(const char* line, int32_t length) {
  // The separator itself may have become the name's terminator.
  int32_t at = length;
  while (at > 0 && line[at - 1] != ' ' && line[at - 1] != '\0') --at;
  if (at == 0) return false;
  if (length - at > 2 && line[at] == '0' && (line[at + 1] == 'x' || line[at + 1] == 'X')) at += 2;
  const int32_t digits = length - at;
  if (digits < 1 || digits > 8) return false;
  for (int32_t i = at; i < length; ++i) {
    const char c = line[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

bool ListMayKeepDatabase(const ListReader& reader) {
  return (reader.Format == ListFormat::Sfv || reader.Format == ListFormat::Par) &&
         !reader.Invalid && !reader.Clearsigned.Signed && reader.SoundEntries > 0;
}

int64_t CountListEntries(ListReader* reader, NativeFile file, ParStatusSink parStatus,
                         void* context) {
  if (reader->Invalid) return -1;
  // Invalid lines are reported by the reading pass; reporting them here too
  // would show each of them twice.
  const InvalidLineSink report = reader->Report;
  reader->Report = nullptr;
  int64_t count = 0;
  reader->SoundEntries = 0;
  int32_t got = 0;
  while ((got = ReadListEntry(reader, file, nullptr)) > 0) {
    if (reader->Format == ListFormat::Par && parStatus)
      parStatus(context, static_cast<uint32_t>(count), ParEntryStatus(*reader));
    // The SFV reader returns the line's length and leaves the checksum text
    // behind the name it cut off in its buffer (formats/sfv_md5_readers.h).
    if (reader->Format != ListFormat::Sfv || SfvChecksumIsSound(reader->CountName, got))
      ++reader->SoundEntries;
    ++count;
  }
  reader->Report = report;
  SetFilePosition(file, 0);
  return count;
}

bool PositionListForReading(ListReader* reader, NativeFile file) {
  if (reader->Invalid) return false;
  switch (reader->Format) {
    case ListFormat::SheriffCrc:
      LocateSheriffTable(reader, file);
      break;
    case ListFormat::BinaryCrc:
      SetFilePosition(file, kBinaryCrcHeader);
      break;
    case ListFormat::TextCrc:
      SetFilePosition(file, reader->TextCrcFirst);
      break;
    case ListFormat::Par: {
      // A file-list offset the file cannot be moved to (beyond 2^63) must not
      // leave the reader at offset 0, where it would read the header as an
      // entry: it reads from the end instead and finds nothing.
      const uint64_t start = ParFileListOffset(*reader);
      if (!reader->ParHeaderRead || SetFilePosition(file, start) != start)
        SeekFile(file, 0, SeekFrom::End, nullptr);
      break;
    }
    case ListFormat::Ckz:
      // The shell extension starts at the text's start and passes over the
      // header line because it has no "|".
      SetFilePosition(file, ListTextStart(*reader));
      if (reader->Host == ListHost::Verifier && !CheckCkzHeader(*reader, file)) {
        reader->Invalid = true;
        return false;
      }
      break;
    default:
      SetFilePosition(file, ListTextStart(*reader));
      break;
  }
  return true;
}

namespace {

int32_t ReadFormatEntry(ListReader* reader, NativeFile file, ListEntry* e) {
  // The counting pass gives no entry; the readers still need a name buffer
  // (the reader's own) and store no fields.
  static_assert(sizeof reader->CountName == sizeof e->FileName);
  char* name = e ? e->FileName : reader->CountName;
  const int32_t nameSize = sizeof reader->CountName;
  uint64_t* size = e ? &e->ExpectedSize : nullptr;
  uint32_t* crc = e ? &e->ExpectedCrc : nullptr;
  switch (reader->Format) {
    case ListFormat::Ckz:
      return ReadCkzEntry(*reader, file, name, nameSize, size, crc);
    case ListFormat::Sfv:
      return ReadSfvEntry(*reader, file, name, nameSize, size, crc);
    case ListFormat::Csv:
      return ReadCsvEntry(*reader, file, name, nameSize, size, crc);
    case ListFormat::Md5:
      return ReadMd5Entry(*reader, file, name, nameSize, size, e ? e->ExpectedMd5 : nullptr);
    case ListFormat::SheriffCrc:
      return ReadSheriffEntry(*reader, file, name, nameSize, size, crc);
    case ListFormat::Par: {
      const int32_t got = ReadParEntry(reader, file, name, nameSize);
      if (got > 0 && e) {
        e->ExpectedSize = ParEntryFileSize(*reader);
        std::memcpy(e->ExpectedMd5, ParEntryMd5(*reader), 16);
        e->ParStatus = ParEntryStatus(*reader);
      }
      return got;
    }
    case ListFormat::TextCrc:
      return ReadTextCrcEntry(*reader, file, name, nameSize, size, crc);
    case ListFormat::DigestList:
      if (e) {
        e->ExpectedSize = UnknownSize;
        e->ExpectedCrc = 0;
      }
      return ReadDigestListEntry(*reader, file, name, nameSize, e ? &e->Algorithm : nullptr,
                                 e ? e->ExpectedDigest : nullptr);
    case ListFormat::BinaryCrc:
      break;
  }
  return ReadBinaryCrcEntry(*reader, file, name, nameSize, size, crc);
}

}  // namespace

int32_t ReadListEntry(ListReader* reader, NativeFile file, ListEntry* entry) {
  if (reader->Invalid) return 0;
  const int32_t got = ReadFormatEntry(reader, file, entry);
  if (got <= 0 || !entry) return got;
  ListEntry* e = entry;
  // Every entry says how it is checked and carries its digest in one place.
  switch (reader->Format) {
    case ListFormat::DigestList:
      if (e->Algorithm == DigestAlgorithm::Md5) std::memcpy(e->ExpectedMd5, e->ExpectedDigest, 16);
      break;
    case ListFormat::Md5:
    case ListFormat::Par:
      e->Algorithm = DigestAlgorithm::Md5;
      std::memcpy(e->ExpectedDigest, e->ExpectedMd5, 16);
      break;
    default:
      e->Algorithm = DigestAlgorithm::Crc32;
      for (int i = 0; i < 4; ++i)
        e->ExpectedDigest[i] = static_cast<unsigned char>(e->ExpectedCrc >> (24 - 8 * i));
      break;
  }
  return got;
}
