// The reader state of one list file, owned by the caller: the verifier holds
// one for the list it verifies, the shell extension one per list file it
// searches. Everything a reader needs between calls lives here; the readers
// allocate nothing.
#pragma once

#include <cstdint>

#include "formats/list_entry.h"
#include "platform/file.h"

// Which program reads the list. The shell extension does not take ".txt" as a
// list, samples only 512 bytes of a ".crc" list for a Sheriff table, knows no
// "CRC Values for " lists, does not check the CKZ header and never reports
// invalid lines.
enum class ListHost { Verifier, ShellExtension };

// Receives the failure line of an invalid list line, such as
// Invalid line in SFV file: "name". The verifier connects it to ReportLine.
using InvalidLineSink = void (*)(void* context, const char* text);

constexpr int kListLineBuffer = 512;  // the caller's name buffer, lines up to 511 bytes
constexpr int kOwnLineBuffer = 516;   // MD5, CKZ and CSV lines, up to 515 bytes
// Digest-list lines: a name of up to 511 bytes, escaped (every byte may take
// two), behind a tag and 128 hex digits.
constexpr int kDigestLineBuffer = 2 * kMaxEntryName + 200;

// Column layout of a JPEG Sheriff table, taken from its dash line.
struct SheriffLayout {
  char DashLine[kListLineBuffer];
  uint32_t SizeColumn;  // byte offset where the size column starts
  uint32_t CrcColumn;   // byte offset where the CRC column (the fourth) starts
  bool Found;           // false: no usable dash line, the table yields no entries
};

constexpr uint32_t kParHeaderSize = 96;
constexpr uint32_t kParEntryFixed = 56;  // an entry's fixed part before its name
// Room for the UTF-16 name of one entry: 511 units, since each unit becomes at
// least one byte of a FileName that holds at most 511.
constexpr uint32_t kParNameBytes = 2 * kMaxEntryName;
constexpr uint32_t kParEntryBuffer = kParEntryFixed + kParNameBytes;

struct ListReader {
  // Set by the caller before detection.
  ListHost Host;
  InvalidLineSink Report;  // may be null: invalid lines are then skipped silently
  void* ReportContext;

  // Detection result, kept for the whole run.
  ListFormat Format;
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

  // The last PAR file entry as read: fixed part and the name's UTF-16 bytes.
  unsigned char ParEntry[kParEntryBuffer];
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

// Sends "<format><line>" to the sink when the host reports invalid lines. The
// text is cut so that it never exceeds what ReportLine formats (1024).
void ReportInvalidLine(const ListReader& reader, const char* kind, const char* line);
