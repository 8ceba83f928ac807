// The reader state of one list file, owned by the caller: the verifier holds
// one for the list it verifies, the shell extension one per list file it
// searches. Everything a reader needs between calls lives here, and its work
// buffers too; the readers allocate nothing but the UTF-8 form of an ANSI
// line that is not ASCII.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/clearsigned.h"
#include "formats/list_entry.h"
#include "formats/text_encoding.h"
#include "platform/file.h"

// Which program reads the list. The shell extension does not take ".txt" as a
// list, samples only 512 bytes of a ".crc" list for a Sheriff table, knows no
// "CRC Values for " lists, does not check the CKZ header and never reports
// invalid lines.
enum class ListHost { Verifier, ShellExtension };

// Receives the failure line of an invalid list line, such as
// Invalid line in SFV file: "name". The verifier connects it to ReportLine.
using InvalidLineSink = void (*)(void* context, const char* text);

// The caller's name buffer: lines of up to kMaxEntryName bytes of UTF-8.
constexpr int kListLineBuffer = kMaxEntryName + 1;
// MD5, CKZ and CSV lines: a name of kMaxEntryName bytes and its fields.
constexpr int kOwnLineBuffer = kListLineBuffer + 256;
// A line of an ANSI or UTF-16 list before it becomes UTF-8: an own line's
// worth of UTF-16 units.
constexpr int kRawLineBuffer = 2 * kOwnLineBuffer;

// Column layout of a JPEG Sheriff table, taken from its dash line.
struct SheriffLayout {
  char DashLine[kListLineBuffer];
  uint32_t SizeColumn;  // byte offset where the size column starts
  uint32_t CrcColumn;   // byte offset where the CRC column (the fourth) starts
  bool Found;           // false: no usable dash line, the table yields no entries
};

constexpr uint32_t kParHeaderSize = 96;
constexpr uint32_t kParEntryFixed = 56;  // an entry's fixed part before its name
// Room for the UTF-16 name of one entry: kMaxEntryName units, since each unit
// becomes at least one byte of a FileName that holds at most kMaxEntryName.
constexpr uint32_t kParNameBytes = 2 * kMaxEntryName;
constexpr uint32_t kParEntryBuffer = kParEntryFixed + kParNameBytes;

struct ListReader {
  // Set by the caller before detection.
  ListHost Host;
  InvalidLineSink Report;  // may be null: invalid lines are then skipped silently
  void* ReportContext;

  // Detection result, kept for the whole run.
  ListFormat Format;
  // The text's encoding; the names the readers give are UTF-8 whatever it is.
  // The caller may change it between entries (a list taken as UTF-8 that
  // turns out to be ANSI).
  TextEncoding Encoding;
  bool Invalid;           // a CKZ list without its header, a PAR file failing its check
  uint64_t TextCrcFirst;  // TextCrc: the position of the first entry
  SheriffLayout Sheriff;
  unsigned char ParHeader[kParHeaderSize];
  bool ParHeaderRead;  // false: the file is shorter than the header
  // DigestList and Md5: the algorithm the list's name gives (".sha256",
  // "SHA256SUMS", ".md5"); untagged lines must have its length. Without a
  // name, untagged lines are taken by their length.
  bool DigestNamed;
  DigestAlgorithm NamedAlgorithm;
  // A ".xxh" list: untagged lines are XXH32, XXH64 or XXH128 by length.
  bool DigestXxhList;
  // A list inside a clear signature: only its signed text is read
  // (formats/clearsigned.h).
  ClearsignedText Clearsigned;
  // Entries of the counting pass that are sound (ListMayKeepDatabase).
  int64_t SoundEntries;

  // The last PAR file entry as read: fixed part and the name's UTF-16 bytes.
  unsigned char ParEntry[kParEntryBuffer];

  // Work buffers of the readers, here rather than on the stack of the
  // caller's thread (a shell thread may have little): the own line of the
  // MD5, CKZ and CSV readers, a CSV field, a line before it becomes UTF-8,
  // and the name of the counting pass. They carry nothing between calls.
  mutable char Line[kOwnLineBuffer];
  mutable char Field[kOwnLineBuffer];
  mutable char Raw[kRawLineBuffer];
  char CountName[kListLineBuffer];
};

// A reader for `host` with an optional invalid-line sink; nothing detected yet.
void InitListReader(ListReader* reader, ListHost host, InvalidLineSink report, void* context);

// Little-endian fields of the binary lists (PAR headers and entries, binary
// CRC records).
uint64_t ReadLe64(const unsigned char* bytes);
uint32_t ReadLe32(const unsigned char* bytes);

// Reads exactly `size` bytes; false on a failure or a short read.
bool ReadExactly(NativeFile file, void* buffer, uint32_t size);
inline uint64_t ParFileListOffset(const ListReader& reader) {
  return ReadLe64(reader.ParHeader + 64);
}

// An invalid-line report quotes at most this many characters of the line;
// a longer line is cut at a character boundary and "..." marks the cut.
constexpr size_t kMaxQuotedCharacters = 200;

// Sends Invalid line in <kind> file: "<line>" to the sink when the host
// reports invalid lines. `line` may be any bytes: a byte that is not part of
// a well-formed UTF-8 sequence is quoted as \xNN, so the report is text
// whatever the line held, and at most kMaxQuotedCharacters are quoted.
void ReportInvalidLine(const ListReader& reader, const char* kind, const char* line, size_t length);
inline void ReportInvalidLine(const ListReader& reader, const char* kind, const char* line) {
  ReportInvalidLine(reader, kind, line, std::strlen(line));
}

// The word an invalid-line report names the list by: "SFV", "MD5", "CKZ",
// "CSV", "CRC", a digest list's tag ("SHA256") or "checksum".
const char* InvalidLineKind(const ListReader& reader);

// Where the text of the list starts: behind its byte-order mark, or in a
// clearsigned list at its signed text.
inline uint64_t ListTextStart(const ListReader& reader) {
  return reader.Clearsigned.Signed ? reader.Clearsigned.TextStart
                                   : ByteOrderMarkSize(reader.Encoding);
}

// The next non-empty line of a text list as UTF-8, with the contract of
// ReadListLine (formats/line_reader.h) in the list's encoding: an ANSI line
// is converted, a UTF-16 list is split into lines of 16-bit units. A line
// whose UTF-8 form does not fit the buffer sets `*cut` (the buffer then
// holds the whole characters that fit).
//
// A line that is not text of its encoding never becomes a name: a UTF-8 or
// UTF-8-marked list's line that is not well-formed UTF-8, an ANSI line the
// code page does not define, and a line of any encoding with a zero byte (a
// zero unit) inside. Such a line is reported as an invalid line
// (InvalidLineKind) and passed over; nothing is put in the place of its
// bytes. Comment lines (";" in SFV lists, "#" in digest lists) are given as
// they are, since the readers pass over them anyway.
//
// In a clearsigned list only the lines of the signed text come, unescaped.
int32_t ReadListTextLine(const ListReader& reader, NativeFile file, char* buffer,
                         int32_t bufferSize, bool* cut = nullptr);
// The same for every line as the file holds it, signed or not.
int32_t ReadListTextLineAsStored(const ListReader& reader, NativeFile file, char* buffer,
                                 int32_t bufferSize, bool* cut = nullptr);

// `size` bytes of ANSI text as UTF-8 in `out` (terminated); false when it
// does not fit (`out` then holds the whole characters that fit) and when the
// bytes are not text of the code page (`out` then holds nothing).
bool AnsiTextToUtf8(const char* ansi, size_t size, char* out, size_t capacity);
