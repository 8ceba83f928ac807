// The command line: words, keywords and their effects, path rejoining.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "verifier/command_line.h"
#include "verifier/command_words.h"
#include "verifier/error_level.h"
#include "verifier/keyword_tree.h"

namespace {

struct Word {
  std::string key;
  bool hasValue;
  std::string value;
  char separator;
};

std::vector<Word> Split(const char* text) {
  std::vector<Word> words;
  CommandArg* first = ParseCommandLine(text);
  for (CommandArg* a = first; a; a = a->next) {
    words.push_back({a->key, a->value != nullptr, a->value ? a->value : "", a->separator});
    if (a->value) {
      EXPECT_EQ(a->valueLength, static_cast<int>(std::strlen(a->value)));
    }
  }
  FreeCommandLine(first);
  return words;
}

TEST(ParseCommandLine, SplitsWordsAtSpacesAndKeysAtTheFirstSeparator) {
  auto w = Split("  DOALL   list.sfv doall=1 OUTPUT:res.txt output=a:b ");
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w[0].key, "DOALL");
  EXPECT_FALSE(w[0].hasValue);
  EXPECT_EQ(w[1].key, "list.sfv");
  EXPECT_FALSE(w[1].hasValue);
  EXPECT_EQ(w[2].key, "doall");
  EXPECT_EQ(w[2].value, "1");
  EXPECT_EQ(w[3].key, "OUTPUT");
  EXPECT_EQ(w[3].value, "res.txt");
  EXPECT_EQ(w[3].separator, ':');
  EXPECT_EQ(w[4].key, "output");  // '=' wins over an earlier-or-later ':'
  EXPECT_EQ(w[4].value, "a:b");
}

TEST(ParseCommandLine, QuotesKeepSpacesAndAreDroppedFromValues) {
  auto w = Split("\"C:\\My Lists\\disc one.sfv\" OUTPUT:\"My Results.txt\" x=\"half");
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].key, "C:\\My Lists\\disc one.sfv");  // a quoted word is never split
  EXPECT_EQ(w[0].separator, 0);
  EXPECT_EQ(w[1].key, "OUTPUT");
  EXPECT_EQ(w[1].value, "My Results.txt");
  EXPECT_EQ(w[2].value, "half");  // opening quote dropped, no closing one
}

TEST(ParseCommandLine, SkipsSpacesAndRepeatedSeparatorsBeforeTheValue) {
  auto w = Split("OUTPUT::res.txt type=  md5 \"unterminated word");
  ASSERT_EQ(w.size(), 4u);
  EXPECT_EQ(w[0].value, "res.txt");
  // "type=" ends at the space outside quotes: no value; "md5" is its own word.
  EXPECT_EQ(w[1].key, "type");
  EXPECT_FALSE(w[1].hasValue);
  EXPECT_EQ(w[2].key, "md5");
  EXPECT_EQ(w[3].key, "unterminated word");
  EXPECT_TRUE(Split("").empty());
  EXPECT_TRUE(Split("     ").empty());
  auto bare = Split("OUTPUT");
  ASSERT_EQ(bare.size(), 1u);
  EXPECT_FALSE(bare[0].hasValue);
}

TEST(ParseCommandLine, CutsOverlongWords) {
  std::string huge(kMaxCommandWord + 100, 'a');
  auto w = Split((huge + " b").c_str());
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].key.size(), static_cast<size_t>(kMaxCommandWord));
  EXPECT_EQ(w[1].key, "b");
  auto q = Split(("\"" + huge + "\"").c_str());
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].key.size(), static_cast<size_t>(kMaxCommandWord));
}

TEST(KeywordTree, MatchesWholeWordsIgnoringCaseAcrossBlocks) {
  KeywordTree tree;
  ASSERT_TRUE(FillKeywordTree(&tree));
  int id = 0;
  EXPECT_TRUE(KeywordLookup(&tree, "DoAll", &id));
  EXPECT_EQ(id, kKeywordDoAll);
  EXPECT_TRUE(KeywordLookup(&tree, "NODBUPDATE", &id));
  EXPECT_EQ(id, kKeywordNoDbUpdate);
  EXPECT_FALSE(KeywordLookup(&tree, "DOALLX", &id));
  EXPECT_FALSE(KeywordLookup(&tree, "doal", &id));
  EXPECT_FALSE(KeywordLookup(&tree, "", &id));
  // Enough words to need several blocks of nodes; all stay reachable.
  for (int i = 0; i < 200; ++i)
    ASSERT_TRUE(KeywordInsert(&tree, ("word" + std::to_string(i)).c_str(), 100 + i));
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(KeywordLookup(&tree, ("WORD" + std::to_string(i)).c_str(), &id));
    EXPECT_EQ(id, 100 + i);
  }
  EXPECT_TRUE(KeywordLookup(&tree, "md5", &id));
  EXPECT_EQ(id, kKeywordMd5);
  int blocks = 0;
  for (KeywordBlock* b = tree.blocks; b; b = b->next) ++blocks;
  EXPECT_GT(blocks, 1);
  KeywordTreeFree(&tree);
  EXPECT_FALSE(KeywordLookup(&tree, "md5", &id));
}

std::set<std::string>* g_existing;
bool Exists(const char* path) {
  return g_existing->count(path) != 0;
}

struct Applied {
  StartupError error;
  VerifierState state;
};

Applied Apply(const char* text, std::set<std::string> existing = {"list.sfv", "C:\\dir\\list.sfv",
                                                                  "other.sfv", "C:\\a b\\x.sfv"}) {
  g_existing = &existing;
  KeywordTree tree;
  EXPECT_TRUE(FillKeywordTree(&tree));
  CommandArg* first = ParseCommandLine(text);
  Applied a{StartupError::None, {}};
  a.error = ApplyCommandWords(first, tree, Exists, &a.state);
  FreeCommandLine(first);
  KeywordTreeFree(&tree);
  return a;
}

TEST(ApplyCommandWords, DoAllFormsAndUnknownWords) {
  for (const char* line : {"DOALL list.sfv", "list.sfv doall", "doall=1 list.sfv"}) {
    auto a = Apply(line);
    EXPECT_TRUE(a.state.VerifyAll) << line;
    EXPECT_STREQ(a.state.ListPath, "list.sfv") << line;
  }
  auto x = Apply("DOALLX list.sfv");
  EXPECT_FALSE(x.state.VerifyAll);
  EXPECT_STREQ(x.state.ListPath, "list.sfv");
  EXPECT_EQ(x.error, StartupError::None);
}

TEST(ApplyCommandWords, OutputFormsAndNoDbUpdate) {
  for (const char* line : {"OUTPUT:res.txt list.sfv", "list.sfv output=res.txt"}) {
    auto a = Apply(line);
    EXPECT_TRUE(a.state.OutputMode) << line;
    EXPECT_STREQ(a.state.OutputPath, "res.txt") << line;
    EXPECT_TRUE(a.state.Settings.UpdateDb);
  }
  auto bare = Apply("OUTPUT list.sfv NoDbUpdate");
  EXPECT_FALSE(bare.state.OutputMode);
  EXPECT_STREQ(bare.state.OutputPath, "");
  EXPECT_FALSE(bare.state.Settings.UpdateDb);
}

TEST(ApplyCommandWords, PathsAreRejoinedAndOnlyExistingFilesCount) {
  EXPECT_STREQ(Apply("C:\\dir\\list.sfv").state.ListPath, "C:\\dir\\list.sfv");
  EXPECT_STREQ(Apply("\"C:\\a b\\x.sfv\"").state.ListPath, "C:\\a b\\x.sfv");
  EXPECT_STREQ(Apply("list.sfv missing.sfv").state.ListPath, "list.sfv");
  EXPECT_STREQ(Apply("list.sfv other.sfv").state.ListPath, "other.sfv");
  EXPECT_STREQ(Apply("missing.sfv").state.ListPath, "");
  // A word split at '=' is rejoined with '='.
  EXPECT_STREQ(Apply("a=b.sfv", {"a=b.sfv"}).state.ListPath, "a=b.sfv");
}

TEST(ApplyCommandWords, CreateAndTypeRules) {
  EXPECT_EQ(Apply("TYPE:crc list.sfv").error, StartupError::InvalidType);
  EXPECT_EQ(Apply("TYPE:doall").error, StartupError::InvalidType);  // a keyword, but not a type
  EXPECT_EQ(Apply("TYPE:MD5 list.sfv").error, StartupError::None);
  EXPECT_EQ(Apply("type=sfv").error, StartupError::None);
  EXPECT_EQ(Apply("TYPE").error, StartupError::None);
  EXPECT_EQ(Apply("CREATE").error, StartupError::NoCreateName);
  EXPECT_STREQ(StartupErrorMessage(StartupError::InvalidType),
               "Invalid type specified for creation");
  EXPECT_STREQ(StartupErrorMessage(StartupError::NoCreateName),
               "No name specified for new .sfv file");
  auto c = Apply("CREATE:new.sfv list.sfv");
  EXPECT_EQ(c.error, StartupError::None);
  EXPECT_TRUE(c.state.CreateMode);
  EXPECT_STREQ(c.state.ListPath, "new.sfv");  // the existing path is accepted and ignored
  EXPECT_EQ(c.state.CreateType, DigestAlgorithm::Crc32);
  // Each type is recorded, in any case; the last TYPE: wins.
  const struct {
    const char* Line;
    DigestAlgorithm Type;
  } types[] = {{"CREATE:n TYPE:sfv", DigestAlgorithm::Crc32},
               {"CREATE:n TYPE:MD5", DigestAlgorithm::Md5},
               {"CREATE:n type=Sha1", DigestAlgorithm::Sha1},
               {"CREATE:n TYPE:SHA256", DigestAlgorithm::Sha256},
               {"TYPE:sha512 CREATE:n", DigestAlgorithm::Sha512},
               {"CREATE:n TYPE:blake3", DigestAlgorithm::Blake3},
               {"CREATE:n TYPE:xxh32", DigestAlgorithm::Xxh32},
               {"CREATE:n TYPE:XXH64", DigestAlgorithm::Xxh64},
               {"CREATE:n TYPE:xxh3", DigestAlgorithm::Xxh3},
               {"CREATE:n TYPE:Xxh128", DigestAlgorithm::Xxh128},
               {"CREATE:n TYPE:sha1 TYPE:md5", DigestAlgorithm::Md5}};
  for (const auto& t : types) {
    auto a = Apply(t.Line);
    EXPECT_EQ(a.error, StartupError::None) << t.Line;
    EXPECT_EQ(a.state.CreateType, t.Type) << t.Line;
  }
  for (const char* line : {"TYPE:sha384", "TYPE:sha", "TYPE:b3", "TYPE:errorlevel", "TYPE:sha2560"})
    EXPECT_EQ(Apply(line).error, StartupError::InvalidType) << line;
}

TEST(ApplyCommandWords, ErrorLevelIsAFlagInAnyCase) {
  for (const char* line : {"ERRORLEVEL list.sfv", "list.sfv errorlevel", "ErrorLevel=1 list.sfv"}) {
    auto a = Apply(line);
    EXPECT_TRUE(a.state.ErrorLevel) << line;
    EXPECT_STREQ(a.state.ListPath, "list.sfv") << line;
  }
  EXPECT_FALSE(Apply("list.sfv").state.ErrorLevel);
  EXPECT_FALSE(Apply("ERRORLEVELS list.sfv").state.ErrorLevel);
  // Behind a word that stops the command line, it is still found.
  KeywordTree tree;
  ASSERT_TRUE(FillKeywordTree(&tree));
  for (const auto& [line, has] : std::initializer_list<std::pair<const char*, bool>>{
           {"TYPE:crc errorlevel", true}, {"TYPE:crc", false}, {"x ErrorLevel:1", true}}) {
    CommandArg* first = ParseCommandLine(line);
    EXPECT_EQ(HasErrorLevelWord(first, tree), has) << line;
    FreeCommandLine(first);
  }
  // OUTPUT: wherever it stands makes the run unattended; an OUTPUT without a
  // value names no file.
  for (const auto& [line, path] : std::initializer_list<std::pair<const char*, const char*>>{
           {"TYPE:crc list.sfv output:res.txt", "res.txt"},
           {"x OUTPUT:\"a b.txt\"", "a b.txt"},
           {"list.sfv", nullptr},
           {"OUTPUT", nullptr}}) {
    CommandArg* first = ParseCommandLine(line);
    const char* got = OutputWordPath(first, tree);
    EXPECT_EQ(got ? std::string(got) : "(none)", path ? std::string(path) : "(none)") << line;
    FreeCommandLine(first);
  }
  KeywordTreeFree(&tree);
}

TEST(ErrorLevelExitCode, FromTheRunsCounters) {
  const struct {
    const char* What;
    uint32_t Checked, Bad, Missing, Unresolved;
    int32_t Total;
    bool ListRead;
    uint32_t InvalidLines;
    int Code;
  } cases[] = {
      {"all verified", 5, 0, 0, 0, 5, true, 0, kErrorLevelVerified},
      {"empty list", 0, 0, 0, 0, 0, true, 0, kErrorLevelVerified},
      {"one bad", 5, 1, 0, 0, 5, true, 0, kErrorLevelFailed},
      {"one missing", 5, 0, 1, 0, 5, true, 0, kErrorLevelFailed},
      {"one unresolved", 5, 0, 0, 1, 5, true, 0, kErrorLevelFailed},
      {"an invalid line", 4, 0, 0, 0, 4, true, 1, kErrorLevelFailed},
      {"stopped early", 3, 0, 0, 0, 5, true, 0, kErrorLevelFailed},
      {"list not opened", 0, 0, 0, 0, -1, false, 0, kErrorLevelListFailed},
      {"invalid list (not counted)", 0, 0, 0, 0, -1, true, 0, kErrorLevelListFailed},
      {"not read wins over bad", 5, 2, 0, 0, 5, false, 0, kErrorLevelListFailed},
  };
  for (const auto& c : cases) {
    RunCounters counters;
    counters.CheckedCount = c.Checked;
    counters.BadCount = c.Bad;
    counters.MissingCount = c.Missing;
    counters.UnresolvedCount = c.Unresolved;
    counters.TotalEntries = c.Total;
    EXPECT_EQ(ErrorLevelExitCode(counters, c.ListRead, c.InvalidLines), c.Code) << c.What;
  }
  EXPECT_EQ(kErrorLevelVerified, 0);
  EXPECT_EQ(kErrorLevelFailed, 1);
  EXPECT_EQ(kErrorLevelListFailed, 2);
}

TEST(AppendSfvWhenNoExtension, OnlyTheFileNamePartCounts) {
  char a[260] = "C:\\lists\\readme";
  char b[260] = "C:\\my.lists\\readme";
  char c[260] = "C:\\lists\\read.me";
  EXPECT_TRUE(AppendSfvWhenNoExtension(a, sizeof a));
  EXPECT_TRUE(AppendSfvWhenNoExtension(b, sizeof b));
  EXPECT_TRUE(AppendSfvWhenNoExtension(c, sizeof c));
  EXPECT_STREQ(a, "C:\\lists\\readme.sfv");
  EXPECT_STREQ(b, "C:\\my.lists\\readme.sfv");
  EXPECT_STREQ(c, "C:\\lists\\read.me");
  char full[8] = "C:\\abcd";  // no room for ".sfv": left as it is
  EXPECT_FALSE(AppendSfvWhenNoExtension(full, sizeof full));
  EXPECT_STREQ(full, "C:\\abcd");
}

}  // namespace
