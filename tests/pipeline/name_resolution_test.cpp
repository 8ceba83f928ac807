// File-name resolution against real files under Wine: the exact test with
// long and 8.3 names, the two wildcard patterns and the error codes that
// decide FileMissing, ReadError and Unresolved.
#include "hashing/name_resolution_win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/handles_win32.h"
#include "tests/pipeline/test_folder_win32.h"

namespace {

void Touch(const char* name) {
  ASSERT_TRUE(WriteBytes(name, {'x'})) << name;
}

// The 8.3 name the file system gives `name` ("" when it has none).
std::string ShortNameOf(const char* name) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(name, &found));
  return search ? found.cAlternateFileName : "<missing>";
}

std::string Resolve(const char* name, char wildcard, bool keep, int* count) {
  char match[MAX_PATH];
  *count = ResolveByWildcard(name, wildcard, keep, match, sizeof match);
  return match;
}

TEST(EntryStatusMessageTest, EveryStatusHasItsLineText) {
  EXPECT_STREQ(EntryStatusMessage(FileMissing), "File does not exist");
  EXPECT_STREQ(EntryStatusMessage(ReadError), "Error reading file");
  EXPECT_STREQ(EntryStatusMessage(Unresolved), "Could not resolve filename");
  EXPECT_STREQ(EntryStatusMessage(LengthMismatch), "File length mismatch");
  EXPECT_STREQ(EntryStatusMessage(NotOpened), "Network or device path not opened");
  EXPECT_STREQ(EntryStatusMessage(6), "Internal allocation error");
  EXPECT_STREQ(EntryStatusMessage(0xFFFFFFFF), "Internal allocation error");
}

TEST(FileExistsExactlyTest, LongShortAndWildcardNames) {
  TestFolder folder;
  Touch("Long File Name.text");
  Touch("ab.txt");
  ASSERT_TRUE(MakeFolder("sub"));
  Touch("sub\\inner.txt");

  EXPECT_TRUE(FileExistsExactly("Long File Name.text"));
  EXPECT_TRUE(FileExistsExactly("LONG FILE NAME.TEXT"));  // case does not matter
  EXPECT_TRUE(FileExistsExactly("sub\\inner.txt"));       // a folder part is fine
  EXPECT_TRUE(FileExistsExactly((folder.Path() + "\\ab.txt").c_str()));
  EXPECT_FALSE(FileExistsExactly("missing.txt"));
  EXPECT_FALSE(FileExistsExactly("sub\\missing.txt"));
  EXPECT_FALSE(FileExistsExactly("nosuch\\inner.txt"));

  // The long name has a separate short name (Wine makes one like
  // "LONG~UHB.TEX"); written in that 8.3 form the name is exact.
  std::string shortName = ShortNameOf("Long File Name.text");
  ASSERT_FALSE(shortName.empty());
  ASSERT_NE(shortName, "Long File Name.text");
  EXPECT_TRUE(FileExistsExactly(shortName.c_str()));

  // Reached only through wildcards: not exact for a file with a short name,
  // exact for a file whose own name is a valid 8.3 name (no short name).
  EXPECT_FALSE(FileExistsExactly("Long?File?Name.text"));
  EXPECT_FALSE(FileExistsExactly("Long*"));
  EXPECT_EQ(ShortNameOf("ab.txt"), "");
  EXPECT_TRUE(FileExistsExactly("a?.txt"));
}

TEST(ResolveByWildcardTest, PunctuationBecomesTheWildcard) {
  TestFolder folder;
  Touch("my_file.txt");
  Touch("a1.txt");
  Touch("a-b.txt");
  ASSERT_TRUE(MakeFolder("x_dir"));
  int count = 0;

  // Space to underscore: one match, bare name back.
  EXPECT_EQ(Resolve("my file.txt", '*', false, &count), "my_file.txt");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Resolve("my file.txt", '?', true, &count), "my_file.txt");
  EXPECT_EQ(count, 1);

  // "a*txt" reaches both a1.txt and a-b.txt: never a guess.
  Resolve("a.txt", '*', false, &count);
  EXPECT_EQ(count, 2);
  // Keeping '.' and '?' for one character: "a.txt" matches nothing here.
  Resolve("a.txt", '?', true, &count);
  EXPECT_EQ(count, 0);

  // '-' kept by the time lookup, replaced by the hashing open.
  Resolve("my-file.txt", '?', true, &count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Resolve("my-file.txt", '*', false, &count), "my_file.txt");
  EXPECT_EQ(count, 1);

  // '*' also bridges dropped or widened punctuation; '?' does not.
  EXPECT_EQ(Resolve("my file . txt", '*', false, &count), "my_file.txt");
  EXPECT_EQ(count, 1);
  Resolve("my  file.txt", '?', true, &count);
  EXPECT_EQ(count, 0);

  // Folders count as matches.
  EXPECT_EQ(Resolve("x dir", '*', false, &count), "x_dir");
  EXPECT_EQ(count, 1);
  // Bytes of 0x80 and above are not letters.
  EXPECT_EQ(Resolve("my\xe9"
                    "file.txt",
                    '?', true, &count),
            "my_file.txt");
  EXPECT_EQ(count, 1);
}

TEST(ResolveByWildcardTest, SeparatorsAreReplacedSoOnlyTheCurrentFolderIsSearched) {
  TestFolder folder;
  ASSERT_TRUE(MakeFolder("sub"));
  Touch("sub\\x.txt");
  Touch("sub_y.txt");
  int count = 0;
  // sub\y.txt becomes sub*y*txt: found beside the folder, not inside it.
  EXPECT_EQ(Resolve("sub\\y.txt", '*', false, &count), "sub_y.txt");
  EXPECT_EQ(count, 1);
  Resolve("other\\x.txt", '*', false, &count);
  EXPECT_EQ(count, 0);
}

TEST(ResolveByWildcardTest, LongNamesAndSmallBuffersStayInBounds) {
  TestFolder folder;
  Touch("my_file.txt");
  int count = 0;
  // "my", spaces, "file.txt": `length` characters whose pattern my***file*txt
  // reaches my_file.txt however many spaces it has.
  auto spaced = [](size_t length) {
    std::string name = "my";
    name.append(length - 10, ' ').append("file.txt");
    return name;
  };
  // Names as long as a path are searched (a pattern longer than a name
  // may be matches nothing or my_file.txt); one that is no path is refused.
  for (size_t length : {size_t{MAX_PATH - 1}, size_t{1000}}) {
    const std::string got = Resolve(spaced(length).c_str(), '*', false, &count);
    EXPECT_TRUE(count == 0 || (count == 1 && got == "my_file.txt")) << length;
  }
  EXPECT_EQ(Resolve(spaced(MAX_PATH - 1).c_str(), '*', false, &count), "my_file.txt");
  char match[MAX_PATH] = "#";
  EXPECT_EQ(ResolveByWildcard(spaced(kMaxPathBytes).c_str(), '*', false, match, sizeof match), 0);
  EXPECT_STREQ(match, "");

  // A match that does not fit the caller's buffer is never cut: it is empty.
  char small[5] = {'#', '#', '#', '#', '#'};
  count = ResolveByWildcard("my file.txt", '*', false, small, sizeof small);
  EXPECT_EQ(count, 1);
  EXPECT_STREQ(small, "");
  char none[1] = {'#'};
  EXPECT_EQ(ResolveByWildcard("nothing here", '*', false, none, sizeof none), 0);
  EXPECT_EQ(none[0], '\0');
}

TEST(ResolveByWildcardTest, UnicodeNamesAndTheFolderTheNameWasJoinedTo) {
  TestFolder folder;
  // One wildcard a UTF-16 unit: the emoji is a pair of units, so "??" for
  // it, "?" for the blank the file has as an underscore.
  Touch("\xF0\x9F\x8E\xB5_x.m3u");
  Touch("\xE6\x9D\xB1\xE4\xBA\xAC_photo.jpg");  // 東京_photo.jpg
  int count = 0;
  EXPECT_EQ(Resolve("\xF0\x9F\x8E\xB5 x.m3u", '?', true, &count), "\xF0\x9F\x8E\xB5_x.m3u");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Resolve("\xE6\x9D\xB1\xE4\xBA\xAC photo.jpg", '*', false, &count),
            "\xE6\x9D\xB1\xE4\xBA\xAC_photo.jpg");
  EXPECT_EQ(count, 1);
  // A name joined to a folder: the folder is kept as it is (its blanks and
  // separators are no wildcards) and the match is opened in it.
  ASSERT_TRUE(MakeFolder("list folder"));
  Touch("list folder\\my_file.txt");
  const std::string joined = folder.Path() + "\\list folder\\my file.txt";
  const size_t nameStart = joined.size() - std::strlen("my file.txt");
  char match[MAX_PATH];
  EXPECT_EQ(ResolveByWildcard(joined.c_str(), '*', false, match, sizeof match, nameStart), 1);
  EXPECT_STREQ(match, "my_file.txt");
  EntryStatus why = ReadError;
  UniqueFileHandle file(OpenForHashing(joined.c_str(), false, &why, nameStart));
  EXPECT_TRUE(file.Valid());
}

TEST(GetEntryFileTimeTest, TimeOfTheExactOrTheResolvedFile) {
  TestFolder folder;
  Touch("my_file.txt");
  Touch("a1.txt");
  Touch("a2.txt");
  FILETIME stamp;
  stamp.dwLowDateTime = 0x12345600;
  stamp.dwHighDateTime = 0x01D00000;
  {
    UniqueFileHandle file(
        CreateFileA("my_file.txt", FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &stamp));
  }
  FILETIME got = {};
  EntryStatus why = Hashed;
  ASSERT_TRUE(GetEntryFileTime("my_file.txt", &got, &why));
  EXPECT_EQ(CompareFileTime(&got, &stamp), 0);

  got = {};
  ASSERT_TRUE(GetEntryFileTime("my file.txt", &got, &why));  // my?file.txt
  EXPECT_EQ(CompareFileTime(&got, &stamp), 0);

  EXPECT_FALSE(GetEntryFileTime("a.txt", &got, &why));
  EXPECT_EQ(why, FileMissing);  // '.' kept and '?' is one character: a?txt misses
  EXPECT_FALSE(GetEntryFileTime("a_.txt", &got, &why));
  EXPECT_EQ(why, Unresolved);  // a?.txt matches a1.txt and a2.txt
  EXPECT_FALSE(GetEntryFileTime("gone.txt", &got, &why));
  EXPECT_EQ(why, FileMissing);
  EXPECT_FALSE(GetEntryFileTime("nosuch\\x.txt", &got, &why));
  EXPECT_EQ(why, ReadError);  // any failure other than "file not found"

  // Held by another program without sharing: a read error, not a miss.
  UniqueFileHandle holder(
      CreateFileA("a1.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  EXPECT_FALSE(GetEntryFileTime("a1.txt", &got, &why));
  EXPECT_EQ(why, ReadError);
}

TEST(OpenForHashingTest, OutcomesOfBothVariants) {
  TestFolder folder;
  Touch("my_file.txt");
  Touch("a1.txt");
  Touch("a-b.txt");
  Touch("sub_x.txt");
  for (bool shell : {false, true}) {
    SCOPED_TRACE(shell ? "shell extension" : "verifier");
    EntryStatus why = Hashed;
    UniqueFileHandle file(OpenForHashing("my_file.txt", shell, &why));
    EXPECT_TRUE(file);
    file.Reset(OpenForHashing("my file.txt", shell, &why));
    EXPECT_TRUE(file);
    file.Reset(OpenForHashing("a.txt", shell, &why));
    EXPECT_FALSE(file);
    EXPECT_EQ(why, Unresolved);
    file.Reset(OpenForHashing("zzz.txt", shell, &why));
    EXPECT_FALSE(file);
    EXPECT_EQ(why, FileMissing);

    // No folder "sub": the path does not exist, whatever lies beside it.
    file.Reset(OpenForHashing("sub\\x.txt", shell, &why));
    EXPECT_FALSE(file);
    EXPECT_EQ(why, shell ? ReadError : FileMissing);
  }

  // With the folder present the name is merely missing in it, and the
  // pattern sub*x*txt resolves to the file in the list's own folder.
  ASSERT_TRUE(MakeFolder("sub"));
  EntryStatus why = Hashed;
  UniqueFileHandle file(OpenForHashing("sub\\x.txt", false, &why));
  ASSERT_TRUE(file);
  BY_HANDLE_FILE_INFORMATION opened, expected;
  ASSERT_TRUE(GetFileInformationByHandle(file.Get(), &opened));
  UniqueFileHandle direct(
      CreateFileA("sub_x.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(GetFileInformationByHandle(direct.Get(), &expected));
  EXPECT_EQ(opened.nFileIndexLow, expected.nFileIndexLow);
  EXPECT_EQ(opened.nFileIndexHigh, expected.nFileIndexHigh);
  file.Reset();
  direct.Reset();

  // A name that resolves to a folder is found but cannot be read.
  ASSERT_TRUE(MakeFolder("only_dir"));
  for (bool shell : {false, true}) {
    file.Reset(OpenForHashing("only dir", shell, &why));
    EXPECT_FALSE(file);
    EXPECT_EQ(why, ReadError);
  }

  // Another program writing the file is fine (write sharing); one that
  // refuses all sharing makes it a read error.
  UniqueFileHandle writer(CreateFileA("a1.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  file.Reset(OpenForHashing("a1.txt", false, &why));
  EXPECT_TRUE(file);
  file.Reset();
  writer.Reset();
  UniqueFileHandle holder(
      CreateFileA("a1.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  file.Reset(OpenForHashing("a1.txt", false, &why));
  EXPECT_FALSE(file);
  EXPECT_EQ(why, ReadError);
}

}  // namespace
