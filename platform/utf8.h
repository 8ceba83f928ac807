// UTF-8, the form every text of the system takes inside it, and UTF-16, the
// form of Windows' wide calls and of PAR names. Portable: the conversions are
// the system's own so that the native tests run them as Windows does. This is
// the system's one UTF-8 decoder: the list readers, the encoding decision,
// the window and the shell extension all take their characters from
// DecodeUtf8.
//
// Windows names may hold unpaired surrogates; they are carried through as
// their three-byte generalized-UTF-8 form so that any name Windows can list
// comes back to the same name when it is opened again. Text read from a list
// never takes that form: it is decoded strictly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class Utf8Form : uint8_t {
  // Well-formed UTF-8 as the Unicode standard defines it: no overlong forms,
  // no surrogate code points, nothing above U+10FFFF.
  Strict,
  // The same, and the three-byte forms of U+D800..U+DFFF that stand for the
  // unpaired surrogates of a Windows name.
  WindowsName,
};

// The sequence at the start of `text` (`size` bytes): its length (1 to 4)
// with its code point in `*cp`; 0 when the bytes there start no well-formed
// sequence; -1 when they are the beginning of one that `size` cuts short.
int DecodeUtf8(const char* text, size_t size, uint32_t* cp, Utf8Form form = Utf8Form::Strict);

// Writes the UTF-8 form of `cp` (at most 4 bytes) to `out`; returns its length.
int EncodeUtf8(uint32_t cp, char* out);

// True when every byte is below 0x80.
bool IsAsciiText(const char* text, size_t size);

// True when the bytes are well-formed UTF-8 (Utf8Form::Strict).
bool IsValidUtf8(const char* text, size_t size);

// Bytes of `text` up to the first one that starts no well-formed sequence;
// `*truncated`, when given, tells that what follows is a sequence cut short
// by the end of the text rather than an ill-formed one.
size_t WellFormedUtf8Prefix(const char* text, size_t size, bool* truncated = nullptr);

// Appends the UTF-8 form of `count` UTF-16 units to `out`.
void AppendUtf16AsUtf8(const uint16_t* units, size_t count, std::string* out);

// Appends the UTF-16 form of `size` bytes of UTF-8 (Utf8Form::WindowsName)
// to `out`. Text from lists is validated before it gets here; a byte that
// starts no valid sequence, and a surrogate pair written as two three-byte
// forms (which no Windows name gives), become U+FFFD, so the result never
// names a file whose name the text does not spell.
void AppendUtf8AsUtf16(const char* text, size_t size, std::u16string* out);

// The UTF-8 form of `count` units into `out` (at most `capacity` bytes, no
// terminator added); the number of bytes written, or -1 when they do not fit.
int32_t ConvertUtf16ToUtf8(const uint16_t* units, uint32_t count, char* out, uint32_t capacity);
// The UTF-16 form of `size` bytes of UTF-8 into `out` (at most `capacity`
// units, no terminator added), the units AppendUtf8AsUtf16 gives, without
// allocating; the number of units written, or -1 when they do not fit.
int32_t ConvertUtf8ToUtf16(const char* text, uint32_t size, uint16_t* out, uint32_t capacity);
