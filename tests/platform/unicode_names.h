// The names every Unicode test of the system goes through: one shared table,
// in UTF-8. `InWesternAnsi` marks those the Western ANSI code page (1252)
// holds, so tests of ANSI lists can pick them.
#pragma once

struct UnicodeName {
  const char* Utf8;
  bool InWesternAnsi;
};

inline constexpr UnicodeName kUnicodeNames[] = {
    {"caf\xC3\xA9.txt", true},                                    // café.txt
    {"\xC3\xBC" "ber.bin", true},                                 // über.bin
    {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0.doc", false},  // Москва.doc
    {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1.png", false},  // Ελλάδα.png
    {"\xE6\x9D\xB1\xE4\xBA\xAC.jpg", false},                     // 東京.jpg
    {"\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.zip", false},         // ソフト.zip
    {"\xF0\x9F\x8E\xB5 playlist.m3u", false},                    // 🎵 playlist.m3u
    {"ends with a dot.", true},
    {"\xC5\x9C" "ample.bin", false},                              // Ŝample.bin
};
