// szSearchi: case folding of ASCII letters only, leftmost match, bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hashing/search.h"

namespace {

// Offset of the match, or -1.
long Find(const std::string& buffer, const char* pattern) {
  const char* hit = szSearchi(buffer.data(), static_cast<uint32_t>(buffer.size()), pattern);
  return hit ? static_cast<long>(hit - buffer.data()) : -1;
}

TEST(SzSearchi, FoldsAsciiLettersOnly) {
  EXPECT_EQ(Find("Made by JPEG SHERIFF 1.0", "Sheriff"), 13);
  EXPECT_EQ(Find("made by jpeg sheriff", "JPEG"), 8);
  // 0xE9 and 0xC9 are e-acute in both cases in the ANSI code page: an accented
  // letter matches only itself.
  EXPECT_EQ(Find("caf\xC9", "caf\xE9"), -1);
  EXPECT_EQ(Find("CAF\xE9", "caf\xE9"), 0);
  // '@' and '`' sit one bit apart from letters and must not fold into them.
  EXPECT_EQ(Find("`", "@"), -1);
  EXPECT_EQ(Find("[", "{"), -1);
  EXPECT_EQ(Find("{", "{"), 0);
}

TEST(SzSearchi, LeftmostMatchIsReturned) {
  EXPECT_EQ(Find("abcabcabc", "ABC"), 0);
  EXPECT_EQ(Find("xxabcabc", "abc"), 2);
  EXPECT_EQ(Find("aaaab", "aab"), 2);
  // Overlapping candidates and a skip over a byte absent from the pattern.
  EXPECT_EQ(Find("abzabab", "abab"), 3);
  EXPECT_EQ(Find("zzzzzzzzsheriff", "sheriff"), 8);
}

TEST(SzSearchi, BoundsOfTheBuffer) {
  // Empty pattern matches at the start, even of an empty buffer.
  EXPECT_EQ(Find("abc", ""), 0);
  EXPECT_EQ(Find("", ""), 0);
  EXPECT_EQ(Find("", "a"), -1);
  EXPECT_EQ(Find("she", "sheriff"), -1);
  EXPECT_EQ(Find("sheriff", "sheriff"), 0);

  // A match that would run past the given length is not reported, even though
  // the bytes behind the length would complete it.
  const std::string text = "see JPEG Sheriff";
  EXPECT_EQ(szSearchi(text.data(), static_cast<uint32_t>(text.size() - 1), "sheriff"), nullptr);
  EXPECT_EQ(szSearchi(text.data(), static_cast<uint32_t>(text.size()), "sheriff"), text.data() + 9);
}

TEST(SzSearchi, NeverReadsOutsideTheBuffer) {
  // The buffer is exactly as long as its length, no terminator: AddressSanitizer
  // catches any read past it.
  for (uint32_t n = 0; n <= 20; ++n) {
    std::string data(n, 'x');
    char* exact = new char[n == 0 ? 1 : n];
    std::memcpy(exact, data.data(), n);
    EXPECT_EQ(szSearchi(exact, n, "xy"), nullptr);
    if (n >= 2) {
      exact[n - 1] = 'Y';
      EXPECT_EQ(szSearchi(exact, n, "xy"), exact + n - 2);
    }
    delete[] exact;
  }
}

TEST(SzSearchi, MatchesANaiveSearch) {
  // Random texts over a small alphabet with mixed case, so that partial
  // matches and skips are frequent.
  uint32_t seed = 7;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  const char alphabet[] = "abAB\xE1\xC1z";
  for (int round = 0; round < 3000; ++round) {
    std::string text(next() % 40, ' ');
    for (char& c : text) c = alphabet[next() % 7];
    std::string pattern(1 + next() % 5, ' ');
    for (char& c : pattern) c = alphabet[next() % 7];
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    long expected = -1;
    for (size_t s = 0; s + pattern.size() <= text.size() && expected < 0; ++s) {
      bool same = true;
      for (size_t i = 0; i < pattern.size() && same; ++i)
        same = fold(static_cast<unsigned char>(text[s + i])) ==
               fold(static_cast<unsigned char>(pattern[i]));
      if (same) expected = static_cast<long>(s);
    }
    ASSERT_EQ(Find(text, pattern.c_str()), expected) << text << " / " << pattern;
  }
}

}  // namespace
