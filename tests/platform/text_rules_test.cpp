// UTF-8 and UTF-16 conversions and the path rules, natively and under Wine.
#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

#include "platform/utf8.h"
#include "platform/windows_path.h"
#include "tests/platform/unicode_names.h"

namespace {

std::u16string ToUtf16(const std::string& s) {
  std::u16string out;
  AppendUtf8AsUtf16(s.data(), s.size(), &out);
  return out;
}

std::string ToUtf8(const std::u16string& s) {
  std::string out;
  AppendUtf16AsUtf8(reinterpret_cast<const uint16_t*>(s.data()), s.size(), &out);
  return out;
}

TEST(Utf8, EveryTableNameRoundTripsAndIsValid) {
  for (const UnicodeName& n : kUnicodeNames) {
    const std::string name = n.Utf8;
    EXPECT_TRUE(IsValidUtf8(name.data(), name.size())) << name;
    EXPECT_EQ(ToUtf8(ToUtf16(name)), name);
  }
  // The emoji is one surrogate pair.
  EXPECT_EQ(ToUtf16("\xF0\x9F\x8E\xB5"), std::u16string(u"\xD83C\xDFB5"));
}

// The decoder against the table of well-formed UTF-8 byte sequences: each
// row's first and last byte values of every range, and the bytes just
// outside them. `length` is what DecodeUtf8 answers (0 ill-formed, -1 cut
// short by the end of the text).
TEST(Utf8, TheOneDecoderFollowsTheTableOfWellFormedSequences) {
  struct Case {
    std::string bytes;
    int length;
    uint32_t cp;  // when length > 0
  } cases[] = {
      {"\x00"s, 1, 0x00},
      {"\x7F", 1, 0x7F},
      // C2..DF 80..BF
      {"\xC2\x80", 2, 0x80},
      {"\xDF\xBF", 2, 0x7FF},
      {"\xC0\xAF", 0, 0},  // overlong "/"
      {"\xC1\xBF", 0, 0},  // overlong
      {"\xC2\x7F", 0, 0},
      {"\xC2\xC0", 0, 0},
      {"\xC2", -1, 0},
      // E0 A0..BF 80..BF
      {"\xE0\xA0\x80", 3, 0x800},
      {"\xE0\x9F\xBF", 0, 0},  // overlong
      {"\xE0\x80\xAF", 0, 0},  // overlong "/"
      // E1..EC 80..BF 80..BF
      {"\xE1\x80\x80", 3, 0x1000},
      {"\xEC\xBF\xBF", 3, 0xCFFF},
      // ED 80..9F 80..BF
      {"\xED\x80\x80", 3, 0xD000},
      {"\xED\x9F\xBF", 3, 0xD7FF},
      {"\xED\xA0\x80", 0, 0},              // U+D800, a surrogate
      {"\xED\xBF\xBF", 0, 0},              // U+DFFF
      {"\xED\xA0\xBD\xED\xB8\x80", 0, 0},  // a surrogate pair in three-byte forms
      // EE..EF 80..BF 80..BF
      {"\xEE\x80\x80", 3, 0xE000},
      {"\xEF\xBF\xBF", 3, 0xFFFF},
      {"\xEF\xBB\xBF", 3, 0xFEFF},  // a byte-order mark is a character
      {"\xE6\x9D", -1, 0},
      {"\xE6\x9D\x41", 0, 0},
      // F0 90..BF 80..BF 80..BF
      {"\xF0\x90\x80\x80", 4, 0x10000},
      {"\xF0\x9F\x98\x80", 4, 0x1F600},
      {"\xF0\x8F\xBF\xBF", 0, 0},  // overlong
      // F1..F3 80..BF 80..BF 80..BF
      {"\xF1\x80\x80\x80", 4, 0x40000},
      {"\xF3\xBF\xBF\xBF", 4, 0xFFFFF},
      // F4 80..8F 80..BF 80..BF
      {"\xF4\x80\x80\x80", 4, 0x100000},
      {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
      {"\xF4\x90\x80\x80", 0, 0},  // above U+10FFFF
      {"\xF5\x80\x80\x80", 0, 0},
      {"\xFF", 0, 0},
      {"\xFE", 0, 0},
      {"\x80", 0, 0},  // a lone continuation byte
      {"\xBF", 0, 0},
      {"\xF0\x9F\x98", -1, 0},
      {"\xF0\x9F\x41", 0, 0},  // an ill-formed byte before the end is no cut
  };
  for (const Case& c : cases) {
    uint32_t cp = 0xDEADBEEF;
    EXPECT_EQ(DecodeUtf8(c.bytes.data(), c.bytes.size(), &cp), c.length)
        << testing::PrintToString(c.bytes);
    if (c.length > 0) {
      EXPECT_EQ(cp, c.cp) << testing::PrintToString(c.bytes);
      char back[4];
      ASSERT_EQ(EncodeUtf8(cp, back), c.length);
      EXPECT_EQ(std::string(back, static_cast<size_t>(c.length)), c.bytes.substr(0, c.length));
    }
    // Whole texts: valid exactly when the one sequence is all of it.
    EXPECT_EQ(IsValidUtf8(c.bytes.data(), c.bytes.size()),
              c.length > 0 && static_cast<size_t>(c.length) == c.bytes.size())
        << testing::PrintToString(c.bytes);
    bool truncated = false;
    const size_t prefix = WellFormedUtf8Prefix(c.bytes.data(), c.bytes.size(), &truncated);
    EXPECT_EQ(prefix, c.length > 0 ? static_cast<size_t>(c.length) : 0u);
    EXPECT_EQ(truncated, c.length < 0);
  }
  // Windows names alone may carry an unpaired surrogate's three-byte form.
  uint32_t cp = 0;
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80", 3, &cp, Utf8Form::WindowsName), 3);
  EXPECT_EQ(cp, 0xD800u);
  EXPECT_TRUE(IsAsciiText("abc ;*", 6));
  EXPECT_FALSE(IsAsciiText("ab\xC3\xA9", 4));
}

TEST(Utf8, UnpairedSurrogatesSurviveTheRoundTrip) {
  // Windows names may hold them; the UTF-8 form must open the same name.
  const std::u16string lone =
      u"a\xD800"
      u"b\xDC00";
  EXPECT_EQ(ToUtf16(ToUtf8(lone)), lone);
  // Bytes that start no sequence never vanish: each becomes U+FFFD.
  EXPECT_EQ(ToUtf16("a\xFF"
                    "b"),
            std::u16string(u"a\xFFFD"
                           u"b"));
  // A surrogate pair in three-byte forms is no Windows name's form: it never
  // becomes the pair (the file named with U+1F600).
  const std::u16string pair = ToUtf16("\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_NE(pair, std::u16string(u"\xD83D\xDE00"));
  EXPECT_EQ(pair.front(), u'\xFFFD');
}

TEST(Utf8, FixedBufferConversionNeverCuts) {
  const uint16_t units[] = {0x6771, 0x4EAC};  // 東京: six bytes
  char out[6];
  EXPECT_EQ(ConvertUtf16ToUtf8(units, 2, out, 6), 6);
  EXPECT_EQ(ConvertUtf16ToUtf8(units, 2, out, 5), -1);
  // The other way: the units AppendUtf8AsUtf16 gives, in place, or nothing.
  std::string names;
  for (const UnicodeName& n : kUnicodeNames) names += n.Utf8;
  names += "\xED\xA0\x80 \xFF";  // an unpaired surrogate, a stray byte
  const std::u16string expected = ToUtf16(names);
  std::u16string got(expected.size(), u'\0');
  const auto size = static_cast<uint32_t>(names.size());
  auto* to = reinterpret_cast<uint16_t*>(got.data());
  ASSERT_EQ(ConvertUtf8ToUtf16(names.data(), size, to, static_cast<uint32_t>(got.size())),
            static_cast<int32_t>(expected.size()));
  EXPECT_EQ(got, expected);
  EXPECT_EQ(ConvertUtf8ToUtf16(names.data(), size, to, static_cast<uint32_t>(got.size()) - 1), -1);
  EXPECT_EQ(ConvertUtf8ToUtf16("\xF0\x9F\x8E\xB5", 4, to, 1), -1);  // half a pair never
}

TEST(WindowsPath, WhenTheExtendedFormIsNeeded) {
  EXPECT_FALSE(NeedsExtendedForm("C:\\lists\\disc.sfv"));
  EXPECT_FALSE(NeedsExtendedForm("..\\up\\.\\here.txt"));
  EXPECT_TRUE(NeedsExtendedForm("C:\\lists\\ends with a dot."));
  EXPECT_TRUE(NeedsExtendedForm("sub\\blank \\x"));
  EXPECT_FALSE(NeedsExtendedForm("\\\\?\\C:\\a."));
  const std::string deep = "C:\\" + std::string(255, 'a');  // 258 units: plain
  EXPECT_FALSE(NeedsExtendedForm(deep));
  EXPECT_TRUE(NeedsExtendedForm(deep + "b"));  // 259 units and a terminator
  // Units, not bytes: 100 Japanese characters are 300 bytes but 100 units.
  std::string japanese = "C:\\";
  for (int i = 0; i < 100; ++i) japanese += "\xE6\x9D\xB1";
  EXPECT_FALSE(NeedsExtendedForm(japanese));
  // A reserved device name as the last name: the plain form opens the device.
  EXPECT_TRUE(NeedsExtendedForm("C:\\lists\\nul"));
  EXPECT_TRUE(NeedsExtendedForm("con.txt"));
  EXPECT_TRUE(NeedsExtendedForm("C:com1"));
  EXPECT_FALSE(NeedsExtendedForm("C:\\nul\\x.txt"));  // only the last name
}

TEST(WindowsPath, ReservedDeviceNames) {
  struct Case {
    const char* name;
    bool reserved;
  } cases[] = {
      {"nul", true},
      {"NUL", true},
      {"con.txt", true},
      {"Con.tar.gz", true},
      {"com1", true},
      {"COM9.log", true},
      {"lpt1.bin", true},
      {"LPT0", true},
      {"aux", true},
      {"prn.", true},
      {"nul ", true},
      {"nul .txt", true},
      {"nul:stream", true},
      {"conin$", true},
      {"CONOUT$.x", true},
      {"com\xC2\xB9", true},
      {"lpt\xC2\xB3.txt", true},
      {"nul1", false},
      {"com10", false},
      {"comx", false},
      {"lpt", false},
      {"nulx.txt", false},
      {"xnul", false},
      {"", false},
      {".nul", false},
      {"com\xC2\xB4", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsReservedDeviceName(c.name), c.reserved) << c.name;
}

// How a list's name becomes the path it is opened by: one table for every
// kind of name and every form of the list's folder.
TEST(WindowsPath, ListNamePath) {
  struct Case {
    const char* folder;
    const char* name;
    bool opened;
    const char* path;
    uint32_t nameStart;
  } cases[] = {
      {"C:\\lists", "a\\b.txt", true, "C:\\lists\\a\\b.txt", 9},
      {"C:\\", "b.txt", true, "C:\\b.txt", 3},
      {"C:\\lists", "\\x.txt", true, "C:\\x.txt", 0},
      {"C:\\lists", "/x.txt", true, "C:/x.txt", 0},
      {"C:\\lists", "D:\\abs.txt", true, "D:\\abs.txt", 0},
      {"C:\\lists", "D:rel.\\x", true, "D:rel.\\x", 0},
      {"C:\\lists", "nul", true, "C:\\lists\\nul", 9},
      // Other machines and devices are never opened.
      {"C:\\lists", "\\\\host\\share\\x.txt", false, "", 0},
      {"C:\\lists", "//host/share/x.txt", false, "", 0},
      {"C:\\lists", "\\/host/share\\x.txt", false, "", 0},
      {"C:\\lists", "/\\host\\share", false, "", 0},
      {"C:\\lists", "\\\\.\\C:\\x", false, "", 0},
      {"C:\\lists", "\\\\?\\C:\\x", false, "", 0},
      {"C:\\lists", "//./nul", false, "", 0},
      {"C:\\lists", "//?/UNC/host/share/x", false, "", 0},
      {"C:\\lists", "\\??\\UNC\\host\\share\\x", false, "", 0},
      {"C:\\lists", "\\\\.", false, "", 0},
      // A list on a share: its own server and share are opened, others not.
      {"\\\\host\\share\\lists", "x.txt", true, "\\\\host\\share\\lists\\x.txt", 19},
      {"\\\\host\\share\\lists", "\\\\HOST\\Share\\y.txt", true, "\\\\HOST\\Share\\y.txt", 0},
      {"\\\\host\\share\\lists", "//host/share/y.txt", true, "//host/share/y.txt", 0},
      {"\\\\host\\share\\lists", "\\\\host\\other\\y.txt", false, "", 0},
      {"\\\\host\\share\\lists", "\\\\evil\\share\\y.txt", false, "", 0},
      {"\\\\host\\share\\lists", "\\\\host\\share.\\y.txt", false, "", 0},
      {"\\\\host\\share\\lists", "\\y.txt", true, "\\\\host\\share\\y.txt", 0},
      {"\\\\host\\share\\lists", "\\\\.\\pipe\\x", false, "", 0},
      // A folder in the extended form: the joined path is normalized.
      {"\\\\?\\C:\\lists", "sub/./x.txt", true, "\\\\?\\C:\\lists\\sub\\x.txt", 13},
      {"\\\\?\\C:\\lists", "sub\\..\\x.", true, "\\\\?\\C:\\lists\\x.", 13},
      {"\\\\?\\C:\\lists", "..\\up\\x", true, "\\\\?\\C:\\up\\x", 10},
      {"\\\\?\\C:\\lists", "\\r.txt", true, "\\\\?\\C:\\r.txt", 0},
      {"\\\\?\\UNC\\host\\share\\l", "\\\\host\\share\\z", true, "\\\\?\\UNC\\host\\share\\z", 0},
      {"\\\\?\\UNC\\host\\share\\l", "\\\\host\\c$\\z", false, "", 0},
      {"\\\\?\\UNC\\host\\share\\l", "../../../z", true, "\\\\?\\UNC\\host\\share\\z", 19},
  };
  for (const Case& c : cases) {
    std::string path = "unchanged";
    uint32_t nameStart = 99;
    EXPECT_EQ(ListNamePath(c.folder, c.name, &path, &nameStart), c.opened)
        << c.folder << " + " << c.name;
    if (!c.opened) continue;
    EXPECT_EQ(path, c.path) << c.folder << " + " << c.name;
    EXPECT_EQ(nameStart, c.nameStart) << c.folder << " + " << c.name;
  }
}

TEST(WindowsPath, ExtendedFormNormalizes) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"C:\\a\\b", "\\\\?\\C:\\a\\b"},
      {"c:/a//b/./c/../d", "\\\\?\\c:\\a\\b\\d"},
      {"C:\\..\\..\\x", "\\\\?\\C:\\x"},
      {"C:\\", "\\\\?\\C:\\"},
      {"C:\\dir\\name.", "\\\\?\\C:\\dir\\name."},
      {"\\\\server\\share\\a\\..\\..\\b", "\\\\?\\UNC\\server\\share\\b"},
      {"//server/share/x", "\\\\?\\UNC\\server\\share\\x"},
      {"\\\\?\\C:\\kept\\..\\as is", "\\\\?\\C:\\kept\\..\\as is"},
  };
  for (const Case& c : cases) {
    std::string out;
    ASSERT_TRUE(ToExtendedForm(c.in, &out)) << c.in;
    EXPECT_EQ(out, c.out);
  }
  std::string out;
  EXPECT_FALSE(ToExtendedForm("relative\\x", &out));
  EXPECT_FALSE(ToExtendedForm("\\\\server", &out));
}

TEST(WindowsPath, Join) {
  EXPECT_EQ(JoinPath("C:\\lists", "a\\b.txt"), "C:\\lists\\a\\b.txt");
  EXPECT_EQ(JoinPath("C:\\", "b.txt"), "C:\\b.txt");
  EXPECT_EQ(JoinPath("C:\\lists", "D:\\abs.txt"), "D:\\abs.txt");
  EXPECT_EQ(JoinPath("", "b.txt"), "b.txt");
}

}  // namespace
