// Format detection, the counting pass, the positioning at the first entry and
// the dispatch of ReadListEntry to the format's reader.
//
// Calling order for one list: open -> DetectListFormat -> CountListEntries
// (skipped for an invalid list) -> PositionListForReading -> ReadListEntry
// until it returns <= 0.
#pragma once

#include <cstdint>

#include "formats/list_reader.h"
#include "platform/file.h"

// The format by the path's name alone. In the verifier every path is a list
// ("*.txt" and unknown extensions read as SFV); the shell extension takes only
// names longer than four characters ending in .sfv, .crc, .ckz, .csv, .par or
// .md5, and the digest tools' lists (".sha1", ".sha256", ".sha512", ".b3",
// ".blake3" after a name; "SHA256SUMS" and its kin, see
// DigestListNameAlgorithm), and returns false for any other. A ".crc" path
// gives BinaryCrc until its content says otherwise. The digest extensions
// give DigestList; a "SUMS" name gives way to an extension of the others
// ("SHA256SUMS.sfv" is SFV), and "MD5SUMS" is an Md5 list like ".md5".
bool ClassifyListPath(ListHost host, const char* path, ListFormat* format);

// Detects the format of the list at `path`, opened for reading at offset 0,
// and fills the detection state of `reader` (format, text encoding, invalid
// flag, Sheriff layout, first TextCrc entry, PAR header, the algorithm the
// name gives). The encoding is decided from the whole text
// (formats/text_encoding.h); binary ".crc" lists are ANSI and PAR lists UTF-16
// (Utf16Le), whatever their bytes. The content decides twice: in the verifier
// a list that would read as SFV but is not named ".sfv" is a DigestList when
// its first lines are digest lines (SniffDigestList), and an Md5 list whose
// first lines are tagged or escaped is a DigestList (in both hosts). Leaves
// the file positioned at the
// first entry. A text list whose first line opens a clear signature is read
// as its signed text (formats/clearsigned.h). Returns false only in the shell extension for a path
// that is not a list there.
bool DetectListFormat(ListReader* reader, const char* path, NativeFile file);

// Receives the status field of each PAR entry during the counting pass.
using ParStatusSink = void (*)(void* context, uint32_t k, uint64_t status);

// Counts the entries from where detection left the file and returns to offset
// 0. An invalid list gets -1 and no pass. Stores the count in the reader, and
// the number of sound entries in SoundEntries: an SFV entry is sound when its
// checksum is 1 to 8 hex digits (after an optional "0x") and nothing else (any other line the SFV
// reader takes is some other list's line), an entry of any other format
// always.
// Invalid lines are not reported by this pass (the reading pass does).
int64_t CountListEntries(ListReader* reader, NativeFile file, ParStatusSink parStatus = nullptr,
                         void* context = nullptr);

// Whether the previously-verified database may be written into the list that
// `reader` detected and counted: only an SFV or PAR list, valid, not signed,
// that had at least one sound entry. Any other list (a digest tool's, one
// whose format was not recognised, one with no sound entry) is never written
// to.
bool ListMayKeepDatabase(const ListReader& reader);

// The SFV entry check of CountListEntries: `line` holds `length` bytes of an
// SFV line whose checksum text follows its last space (or the zero byte the
// SFV reader wrote over that space).
bool SfvChecksumIsSound(const char* line, int32_t length);

// Sets the reader's naming of digest lines from the list's name
// (DigestListNaming): DigestNamed, NamedAlgorithm and DigestXxhList.
void TakeDigestNaming(ListReader* reader, const char* path);

// Moves to the first entry for the reading pass (Sheriff tables are located
// afresh, a CKZ list's header is checked once more in the verifier). Returns
// false when the list turns out invalid.
bool PositionListForReading(ListReader* reader, NativeFile file);

// Reads the next entry into `entry`; > 0 an entry, 0 the end, -1 a read
// failure (also the end). `entry` may be null for a pass that only counts.
// Every entry gets its Algorithm and ExpectedDigest (list_entry.h).
int32_t ReadListEntry(ListReader* reader, NativeFile file, ListEntry* entry);
