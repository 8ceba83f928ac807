// The encoding of a text list, decided once per list from its bytes, and the
// transcoding of its text to the UTF-8 that every name takes inside the
// system (and back, for what is written into a list).
//
// The decision, in order:
//   1. a byte-order mark says UTF-8, UTF-16LE or UTF-16BE (and is skipped);
//   2. a list whose bytes are all ASCII needs no decision;
//   3. a list that is valid UTF-8 throughout is UTF-8;
//   4. any other is in the ANSI code page, as every older Windows list is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

enum class TextEncoding : uint8_t {
  Ascii,    // no byte above 0x7F
  Utf8,     // valid UTF-8 throughout, without a byte-order mark
  Utf8Bom,  // a UTF-8 byte-order mark
  Utf16Le,  // a UTF-16 little-endian byte-order mark
  Utf16Be,  // a UTF-16 big-endian byte-order mark
  Ansi,     // anything else: the ANSI code page
};

inline bool IsUtf16(TextEncoding e) {
  return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be;
}

// Bytes of the byte-order mark the encoding was decided by (0, 2 or 3).
uint32_t ByteOrderMarkSize(TextEncoding e);

// The decision over a text fed in pieces of any size.
// UTF-8 is decided by the one decoder of platform/utf8.h (strict form); a
// sequence cut by the end of a piece waits in Pending for the next one.
struct EncodingScan {
  uint64_t Seen = 0;           // bytes fed so far
  unsigned char Head[3] = {};  // the first three bytes, for the byte-order mark
  bool Ascii = true;
  bool Utf8 = true;
  uint8_t PendingCount = 0;  // bytes of a sequence the last piece cut short
  char Pending[4] = {};
};
void FeedEncodingScan(EncodingScan* scan, const char* data, size_t size);
TextEncoding FinishEncodingScan(const EncodingScan& scan);

// The encoding a byte-order mark at the start of `data` declares: Utf8Bom,
// Utf16Le or Utf16Be, else Ascii (the text splits into lines byte by byte).
TextEncoding EncodingByMark(const char* data, size_t size);

// The decision for a whole text in memory.
TextEncoding DecideTextEncoding(const char* data, size_t size);

// The decision for an open file, read from its start in reads of `bufferSize`
// bytes into `buffer` (a byte-order mark ends the reading at once). The file
// is left at its start. A failed read decides by what was read.
TextEncoding DetectFileEncoding(NativeFile file, char* buffer, uint32_t bufferSize);

// UTF-16 units given as bytes (`size` bytes; an odd last byte is ignored) in
// the byte order `bigEndian` says, as UTF-8 in `out` (no terminator added).
// Returns the bytes written; when they do not fit, -1 with the whole
// characters that fit in `out` and their length in `*written`.
int32_t Utf16BytesToUtf8(const unsigned char* bytes, size_t size, bool bigEndian, char* out,
                         size_t capacity, size_t* written = nullptr);

// A whole text of the list (its byte-order mark already skipped) as UTF-8.
// An ANSI text that is not valid in the code page is given back byte for
// byte, never with substitutes (the line reader refuses such lines one by
// one; the database code only carries them along).
std::string TextAsUtf8(const char* data, size_t size, TextEncoding e);

// UTF-8 text in the form it takes inside a list of encoding `e`: UTF-16 for
// the UTF-16 lists, the bytes themselves for any other (what is written back
// into a list is ASCII, such as the database lines, or was read from it).
std::string TextForList(const std::string& utf8, TextEncoding e);
