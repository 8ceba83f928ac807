// The digest tools' lists: untagged, tagged and escaped lines, the algorithm
// by name, by tag and by length, and the malformed lines that are reported.
#include "formats/digest_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_files.h"

namespace {

using listtest::RunListText;

const std::string kMd5(32, 'a'), kSha1(40, 'b'), kSha256(64, 'c'), kSha512(128, 'd');
const std::string kMd5Up(32, 'A');

struct Got {
  std::string Name;
  DigestAlgorithm Algorithm;
  std::string Digest;
  bool operator==(const Got&) const = default;
  friend void PrintTo(const Got& g, std::ostream* os) {
    *os << '"' << g.Name << "\" " << DigestTag(g.Algorithm) << ' ' << g.Digest;
  }
};

struct Read {
  ListFormat Format;
  std::vector<Got> Entries;
  std::vector<std::string> Reports;
};

Read ReadList(const std::string& leaf, const std::string& text) {
  const auto run = RunListText(leaf, text);
  Read r{run.Format, {}, run.Reports};
  EXPECT_EQ(run.Count, static_cast<int64_t>(run.Entries.size())) << leaf;
  for (const auto& e : run.Entries) {
    EXPECT_EQ(e.Size, UnknownSize);
    r.Entries.push_back({e.Name, e.Algorithm, e.Digest});
    if (e.Algorithm == DigestAlgorithm::Md5) {
      EXPECT_EQ(e.Md5, e.Digest);
    }
  }
  return r;
}

TEST(DigestListReader, LinesOfEveryShape) {
  using A = DigestAlgorithm;
  struct Case {
    const char* Leaf;
    std::string Text;
    std::vector<Got> Want;
  };
  const std::vector<Case> cases = {
      // The two untagged forms, a comment, an empty line, CR LF and upper-case digits.
      {"t.sha256",
       "# sha256sum\r\n" + kSha256 + "  a file.txt\r\n\r\n" + std::string(64, 'C') + " *b.bin\r\n",
       {{"a file.txt", A::Sha256, kSha256}, {"b.bin", A::Sha256, kSha256}}},
      // Names keep their blanks; "/" between folders becomes "\", a "\" of an
      // unescaped line stays.
      {"t.sha1",
       kSha1 + "   lead and trail  \n" + kSha1 + "  disc 1/sub/x.wav\n" + kSha1 + "  dir\\y\n",
       {{" lead and trail  ", A::Sha1, kSha1},
        {"disc 1\\sub\\x.wav", A::Sha1, kSha1},
        {"dir\\y", A::Sha1, kSha1}}},
      // Escaped names: backslash, line feed and carriage return.
      {"t.b3",
       "\\" + kSha256 + "  back\\\\slash\n\\" + kSha256 + "  new\\nline\\r\n",
       {{"back\\slash", A::Blake3, kSha256}, {"new\nline\r", A::Blake3, kSha256}}},
      // Tags decide, whatever the list's name; padded tags, OpenSSL's forms,
      // a name holding ") = " and an escaped tagged line.
      {"t.sha512",
       "MD5 (m) = " + kMd5Up + "\nSHA1    (s1) = " + kSha1 + "\nSHA256(o)= " + kSha256 +
           "\nSHA2-512(o2)= " + kSha512 + "\nBLAKE3 (a) = b) = " + kSha256 +
           "\n\\SHA512 (x\\\\y) = " + kSha512 + "\n",
       {{"m", A::Md5, kMd5},
        {"s1", A::Sha1, kSha1},
        {"o", A::Sha256, kSha256},
        {"o2", A::Sha512, kSha512},
        {"a) = b", A::Blake3, kSha256},
        {"x\\y", A::Sha512, kSha512}}},
      // Without a name's algorithm, an untagged line is taken by its length
      // (the first three decide that the list is one, see list detection).
      {"SHA256SUMS.txt", kSha256 + "  n\n", {{"n", A::Sha256, kSha256}}},
      {"t.txt",
       kMd5 + "  m\n" + kMd5 + "  n\n" + kMd5 + "  o\n" + kSha1 + "  s\n" + kSha256 + "  t\n" +
           kSha512 + "  u\n",
       {{"m", A::Md5, kMd5},
        {"n", A::Md5, kMd5},
        {"o", A::Md5, kMd5},
        {"s", A::Sha1, kSha1},
        {"t", A::Sha256, kSha256},
        {"u", A::Sha512, kSha512}}},
      // A ".md5" list that the Md5 reader could not read.
      {"t.md5",
       "MD5 (m) = " + kMd5 + "\n\\" + kMd5 + "  a\\\\b\n",
       {{"m", A::Md5, kMd5}, {"a\\b", A::Md5, kMd5}}},
  };
  for (const Case& c : cases) {
    const Read r = ReadList(c.Leaf, c.Text);
    EXPECT_EQ(r.Format, ListFormat::DigestList) << c.Leaf;
    EXPECT_EQ(r.Entries, c.Want) << c.Leaf;
    EXPECT_TRUE(r.Reports.empty()) << c.Leaf << ": " << r.Reports.front();
  }
}

TEST(DigestListReader, MalformedLinesAreReportedAndSkipped) {
  const std::string good = kSha256 + "  good\n";
  const std::vector<std::string> bad = {
      kSha1 + "  wrong length for the name",
      kSha256 + " one blank",
      kSha256 + "\tname",
      kSha256 + "  ",                          // no name
      std::string(63, 'c') + "g  name",        // a non-hex digit
      std::string(66, 'c') + "  long",         // too long
      "\\" + kSha256 + "  tab\\tescape",       // an unknown escape
      "\\" + kSha256 + "  trailing\\",         // an escape without its letter
      "SHA384 (x) = " + std::string(96, 'e'),  // an unknown tag
      "SHA256 (x) = " + kSha1,                 // the tag's length is not the digest's
      "SHA256 (x) = " + kSha256 + " ",         // a blank after the digest
      "SHA256 (x) " + kSha256,                 // no "="
      "SHA256 x) = " + kSha256,                // no "("
      "SHA256 () = " + kSha256,                // an empty name
      "sha256 (x) = " + kSha256,               // tags are upper case
      "; a comment of another format",
      "\\SHA256 (a\\qb) = " + kSha256,
      kSha256 + std::string("  \0name", 7),  // a zero byte in the name
      std::string(2000, 'c') + "  cut",      // longer than the line buffer
  };
  std::string text = good;
  for (const std::string& line : bad) text += line + "\n" + good;
  const Read r = ReadList("bad.sha256", text);
  EXPECT_EQ(r.Entries.size(), bad.size() + 1);
  ASSERT_EQ(r.Reports.size(), bad.size());
  for (size_t i = 0; i + 1 < bad.size(); ++i) {
    // A zero byte is quoted as \x00, the rest of the line as it is.
    std::string quoted;
    for (char c : bad[i]) quoted += c == '\0' ? std::string("\\x00") : std::string(1, c);
    EXPECT_EQ(r.Reports[i], "Invalid line in SHA256 file: \"" + quoted + "\"") << i;
  }
  // Without a name's algorithm the kind is general.
  const Read unnamed = ReadList("bad.txt", good + good + good + "x\n");
  EXPECT_EQ(unnamed.Reports, (std::vector<std::string>{"Invalid line in checksum file: \"x\""}));
  // The shell extension never reports.
  const auto shell = RunListText("bad.sha256", text, ListHost::ShellExtension);
  EXPECT_EQ(shell.Entries.size(), bad.size() + 1);
  EXPECT_TRUE(shell.Reports.empty());
}

TEST(ParseDigestLine, NameLimitAndDigestBytes) {
  DigestLine line;
  const std::string longest = kSha1 + "  " + std::string(kMaxEntryName, 'n');
  EXPECT_TRUE(ParseDigestLine(longest.data(), longest.size(), nullptr, &line));
  EXPECT_EQ(line.NameLength, static_cast<uint32_t>(kMaxEntryName));
  const std::string over = longest + "n";
  EXPECT_FALSE(ParseDigestLine(over.data(), over.size(), nullptr, &line));
  // Escapes count once they are decoded.
  std::string escaped = "\\" + kSha1 + "  ";
  for (int i = 0; i < kMaxEntryName; ++i) escaped += "\\\\";
  EXPECT_TRUE(ParseDigestLine(escaped.data(), escaped.size(), nullptr, &line));
  const std::string text = "SHA1 (n) = 00112233445566778899AaBbCcDdEeFf01234567";
  ASSERT_TRUE(ParseDigestLine(text.data(), text.size(), nullptr, &line));
  EXPECT_EQ(listtest::Hex(line.Digest, 20), "00112233445566778899aabbccddeeff01234567");
  EXPECT_TRUE(line.Tagged);
}

}  // namespace
