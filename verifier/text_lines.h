// The list's lines taken from its text in memory, split by the same code as
// the line reader splits them from the file (formats/line_split.h). The
// database code reads a list with a few large reads instead of a read and a
// seek per line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/text_encoding.h"

struct TextLine {
  size_t before = 0;  // where the reader stood before the line (blank lines in front included)
  size_t after = 0;   // where it stands behind the line
  char text[512] = {};
  uint32_t length = 0;
};

// The next line from `*at` of `data` (`size` bytes); false at the end.
// `*at` moves behind the line. The lines of a UTF-16 text (`encoding`) are
// split by 16-bit units and given as UTF-8; positions stay in bytes. Text
// beyond the buffer is dropped (the database lines it is read for are short).
bool NextTextLine(const char* data, size_t size, size_t* at, TextLine* line,
                  TextEncoding encoding = TextEncoding::Ascii);
