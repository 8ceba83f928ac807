// The console program's output. To a console, text goes through
// WriteConsoleW, so every name shows as it is whatever the console's code
// page; to a pipe or a file, as UTF-8 without a byte-order mark and with the
// LF line ends it is given, so that it compares byte for byte with the
// peers' output. Standard output is buffered and flushed before anything
// goes to standard error, so that the two keep their order when they meet.
//
// The progress line lives on standard error, only when that is a console:
// one line rewritten in place, erased before any other text and at the end.
#pragma once

#include <string>
#include <string_view>

enum class OutStream { Out, Err };

// Finds out what each stream is. Call once, first.
void InitConsoleOutput();
// Whether standard error is a console (where a progress line may show).
bool ErrorIsConsole();

void Print(OutStream stream, std::string_view text);
// "crvn: " + text + "\n" on standard error.
void PrintError(std::string_view text);
void FlushOutput();

// Replaces the progress line by `text` (cut to the console's width).
void ShowProgressLine(std::string_view text);
// Erases the progress line, if one is shown.
void ClearProgressLine();
