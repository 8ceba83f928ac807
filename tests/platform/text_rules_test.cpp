// UTF-8 and UTF-16 conversions and the path rules, natively and under Wine.
#include <gtest/gtest.h>

#include <string>

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

TEST(Utf8, ValidityRejectsWhatIsNotUtf8) {
  struct Case {
    const char* bytes;
    bool valid;
  } cases[] = {
      {"plain", true},
      {"\xE9t\xE9", false},         // ANSI é
      {"\xC0\xAF", false},          // overlong "/"
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xE6\x9D", false},          // cut sequence
      {"\xEF\xBB\xBF"
       "abc",
       true},  // a byte-order mark is valid text
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsValidUtf8(c.bytes, std::char_traits<char>::length(c.bytes)), c.valid) << c.bytes;
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
