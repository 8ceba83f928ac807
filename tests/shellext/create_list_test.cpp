// "&Create .SFV File" end to end: the handler comes from COM, the selection
// from the shell, and a second thread answers the dialogs as a user would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <algorithm>

#include "hashing/digest.h"
#include "hashing/digest_text.h"
#include "platform/ansi_codepage.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"
#include "tests/platform/unicode_names.h"
#include "tests/shellext/explorer_host_win32.h"
#include "tests/verifier/corvana_process_win32.h"

namespace {

// Controls of the creation dialogs.
constexpr int kNameEdit = 1000, kTypeCombo = 1003, kExcludeHidden = 1004, kCompatible = 1002;
constexpr int kYes = 6, kYesToAll = 1, kNo = 7;
constexpr char kCreateTitle[] = "Create .SFV file - Corvana v2.33";

// A file with a known last-write time (local time).
void PutDated(const std::string& path, const std::string& bytes, const SYSTEMTIME& local) {
  PutFile(path, bytes);
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  HANDLE file =
      CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &utc);
  CloseHandle(file);
}

// A file of any name or path length.
void PutUtf8(const std::string& path, const std::string& bytes) {
  UniqueFileHandle file(CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0));
  DWORD written = 0;
  WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The digest of `bytes` in lower-case hex, as the digest tools print it.
std::string DigestHexOf(DigestAlgorithm algorithm, const std::string& bytes) {
  DigestContext context;
  DigestInit(&context, algorithm);
  DigestUpdate(&context, bytes.data(), bytes.size());
  unsigned char digest[kMaxDigestBytes];
  DigestFinal(&context, digest);
  char text[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(digest, DigestBytes(algorithm), text, false);
  return text;
}

std::string Hex8(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// Answers the creation dialog: the type first (as a user would pick it), then
// the name, then the check boxes, then OK.
DialogStep ChooseList(const std::string& name, int type, bool excludeHidden = false,
                      int compatible = -1) {
  return {kCreateTitle, [=](HWND dialog, DialogDriver& driver) {
            driver.Note("proposed: " + ControlText(dialog, kNameEdit));
            if (ComboSelection(dialog, kTypeCombo) != type)
              SelectComboEntry(dialog, kTypeCombo, type);
            SetControlText(dialog, kNameEdit, name);
            SetCheck(dialog, kExcludeHidden, excludeHidden);
            if (compatible >= 0) SetCheck(dialog, kCompatible, compatible == 1);
            PressButton(dialog, IDOK);
          }};
}

class CreateListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    install_ = new std::string(MakeTempFolder("shellinstall"));
    ASSERT_NE(InstallShellExtension(*install_), "");
  }
  static void TearDownTestSuite() {
    UnregisterShellExtension();
    RemoveTree(*install_);
    delete install_;
  }
  void SetUp() override {
    ASSERT_TRUE(apartment_.Ok());
    dir_ = MakeTempFolder("shellcreate");
    SetSettings("[Corvana]\r\n");
  }
  void TearDown() override { RemoveTree(dir_); }

  static std::string Ini() { return *install_ + "Corvana.ini"; }
  void SetSettings(const std::string& text) { PutFile(Ini(), text); }
  std::string Setting(const char* key) {
    char value[512] = {};
    GetPrivateProfileStringA("Corvana", key, "<none>", value, sizeof value, Ini().c_str());
    return value;
  }

  // Invokes command 0 on the items of dir_ while `steps` answer the dialogs;
  // the notes the steps made.
  std::vector<std::string> Create(const std::vector<std::string>& names,
                                  std::vector<DialogStep> steps) {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(dir_ + name);
    return CreateAt(paths, std::move(steps));
  }
  std::vector<std::string> CreateAt(const std::vector<std::string>& paths,
                                    std::vector<DialogStep> steps, bool byHand = false) {
    ShellHandler handler;
    EXPECT_TRUE(handler.Create());
    ComPtr<IDataObject> data = byHand ? DropOf(paths) : SelectionOf(paths);
    EXPECT_TRUE(data);
    if (!data) return {};
    handler.Initialize(data.Get());
    DialogDriver driver(std::move(steps));
    EXPECT_EQ(handler.Invoke(0), S_OK);
    EXPECT_TRUE(driver.Finish()) << "no window " << driver.Missed();
    return driver.Notes();
  }

  static std::string* install_;
  ComApartment apartment_;
  std::string dir_;
};
std::string* CreateListTest::install_ = nullptr;

TEST_F(CreateListTest, ListsHoldTheSelectionInOrderWithHeaderAndCommentLines) {
  SYSTEMTIME t1 = {2006, 2, 0, 21, 13, 58, 2, 0}, t2 = {2005, 12, 0, 31, 9, 1, 44, 0};
  CreateDirectoryA((dir_ + "sub").c_str(), nullptr);
  CreateDirectoryA((dir_ + "sub\\deep").c_str(), nullptr);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"A.txt", std::string(123456, 'a')},
      {"b.txt", "bee"},
      {"sub\\z.txt", ""},
      {"sub\\deep\\c.txt", std::string(2048, 'c')},
  };
  for (size_t i = 0; i < files.size(); ++i)
    PutDated(dir_ + files[i].first, files[i].second, i % 2 ? t2 : t1);
  struct Case {
    const char* list;
    int type;
  } cases[] = {{"list.sfv", 0}, {"list.md5", 1}};
  for (const Case& c : cases) {
    auto notes = Create({"b.txt", "A.txt", "sub"},
                        {ChooseList(dir_ + c.list, c.type), AnswerBox("Results")});
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "proposed: " + dir_ + "A.sfv");  // the first file of the sorted list
    EXPECT_EQ(notes[1], std::string("Results: ") + c.list + " created successfully");
    std::string text = GetFile(dir_ + c.list);
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 3 + 2 * files.size()) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(lines[0].rfind("; Generated by Corvana v2.33 on ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].size(), std::string("; Generated by Corvana v2.33 on ").size() + 22);
    EXPECT_EQ(lines[1], "; https://corvana.example.org/");
    EXPECT_EQ(lines[2], ";");
    EXPECT_EQ(lines[3], ";       123456  13:58.02 2006-02-21 A.txt");
    EXPECT_EQ(lines[4], ";            3  09:01.44 2005-12-31 b.txt");
    EXPECT_EQ(lines[5], ";            0  13:58.02 2006-02-21 sub\\z.txt");
    EXPECT_EQ(lines[6], ";         2048  09:01.44 2005-12-31 sub\\deep\\c.txt");
    for (size_t i = 0; i < files.size(); ++i) {
      const std::string& name = files[i].first;
      const std::string& bytes = files[i].second;
      std::string expected =
          c.type == 0 ? name + " " + Hex8(Crc32Of(bytes)) : Md5HexOf(bytes) + " *" + name;
      EXPECT_EQ(lines[7 + i], expected);
    }
    EXPECT_EQ(Setting("DefaultExtension"), c.type == 0 ? ".sfv" : ".md5");
  }
}

// The digest types write what their tools write: the digest in lower-case
// hex, two blanks, the name with "/" between folders, LF; nothing else.
TEST_F(CreateListTest, DigestListsHoldOnlyTheirToolsLines) {
  CreateDirectoryA((dir_ + "sub").c_str(), nullptr);
  CreateDirectoryA((dir_ + "sub\\deep").c_str(), nullptr);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"A.txt", std::string(3 << 20, 'a')},  // several blocks
      {"b.txt", "bee"},
      {"sub/z.txt", ""},
      {"sub/deep/c.txt", std::string(2048, 'c')},
  };
  for (const auto& f : files) {
    std::string path = dir_ + f.first;
    std::replace(path.begin(), path.end(), '/', '\\');
    PutFile(path, f.second);
  }
  struct Case {
    const char* list;
    int type;
    DigestAlgorithm algorithm;
  } cases[] = {{"list.sha1", 2, DigestAlgorithm::Sha1},
               {"list.sha256", 3, DigestAlgorithm::Sha256},
               {"list.sha512", 4, DigestAlgorithm::Sha512},
               {"list.b3", 5, DigestAlgorithm::Blake3}};
  for (const Case& c : cases) {
    auto notes = Create({"b.txt", "A.txt", "sub"},
                        {ChooseList(dir_ + c.list, c.type), AnswerBox("Results")});
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1], std::string("Results: ") + c.list + " created successfully");
    std::string expected;
    for (const auto& f : files)
      expected += DigestHexOf(c.algorithm, f.second) + "  " + f.first + "\n";
    EXPECT_EQ(GetFile(dir_ + c.list), expected) << c.list;
    EXPECT_EQ(Setting("DefaultExtension"), std::string(c.list).substr(4));
  }
}

TEST_F(CreateListTest, TheDialogProposesAndRenamesByTheRules) {
  PutFile(dir_ + "movie.avi", "movie");
  struct Case {
    const char* what;
    const char* settings;
    const char* typed;   // typed before switching the type, or null
    int switchTo;        // the type chosen afterwards
    const char* before;  // the proposal, relative to dir_
    const char* after;   // the name after switching
    bool compatibleEnabledAfter;
  } cases[] = {
      {"no settings", "", nullptr, 1, "movie.sfv", "movie.md5", false},
      {"default file name", "DefaultFilename=check.txt\r\n", nullptr, 1, "check.sfv", "check.md5",
       false},
      {"md5 preselected", "DefaultExtension=.MD5\r\n", nullptr, 0, "movie.md5", "movie.sfv", true},
      {"other extension stays", "", "list.txt", 1, "movie.sfv", "list.txt", false},
      {"upper-case list extension", "", "list.SFV", 1, "movie.sfv", "list.md5", false},
      {"sha256 preselected", "DefaultExtension=.sha256\r\n", nullptr, 5, "movie.sha256", "movie.b3",
       false},
      {"to a digest type", "", "list.MD5", 3, "movie.sfv", "list.sha256", false},
      {"from a digest type", "", "list.b3", 0, "movie.sfv", "list.sfv", true},
  };
  for (const Case& c : cases) {
    SetSettings(std::string("[Corvana]\r\n") + c.settings);
    auto notes = Create(
        {"movie.avi"},
        {{kCreateTitle, [&](HWND dialog, DialogDriver& driver) {
            driver.Note(ControlText(dialog, kNameEdit));
            DWORD from = 0, to = 0;
            SendDlgItemMessageA(dialog, kNameEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                reinterpret_cast<LPARAM>(&to));
            driver.Note(from == 0 && to == ControlText(dialog, kNameEdit).size() ? "all selected"
                                                                                 : "not selected");
            std::string entries;
            for (int i = 0; i < 8; ++i) entries += ComboEntry(dialog, kTypeCombo, i);
            driver.Note(entries);
            if (c.typed) SetControlText(dialog, kNameEdit, dir_ + c.typed);
            SelectComboEntry(dialog, kTypeCombo, c.switchTo);
            driver.Note(ControlText(dialog, kNameEdit));
            driver.Note(IsControlEnabled(dialog, kCompatible) ? "enabled" : "disabled");
            PressButton(dialog, IDCANCEL);
          }}});
    std::vector<std::string> expected = {
        dir_ + c.before, "all selected", ".sfv.md5.sha1.sha256.sha512.b3.xxh3.xxh128",
        dir_ + c.after, c.compatibleEnabledAfter ? "enabled" : "disabled"};
    EXPECT_EQ(notes, expected) << c.what;
  }
  // Cancel writes nothing.
  EXPECT_FALSE(FileThere(dir_ + "movie.sfv"));
  EXPECT_EQ(Setting("DefaultExtension"), "<none>");
}

TEST_F(CreateListTest, NamesTypedWithoutExtensionOrFolderAndTheQuietSetting) {
  PutFile(dir_ + "a.bin", "abc");
  SetSettings("[Corvana]\r\nShowDoneCreate=0\r\n");
  // No "Results" step: with ShowDoneCreate=0 no message may appear.
  Create({"a.bin"}, {ChooseList(dir_ + "name", 1)});
  EXPECT_EQ(GetFile(dir_ + "name.md5").substr(0, 1), ";");
  // A bare name goes beside the selection.
  Create({"a.bin"}, {ChooseList("bare", 0)});
  EXPECT_TRUE(FileThere(dir_ + "bare.sfv"));
}

TEST_F(CreateListTest, CompatibilityModeChangesTheHeaderAndIsRemembered) {
  PutFile(dir_ + "a.bin", "abc");
  SetSettings("[Corvana]\r\nCompatibilityMode=0\r\n");
  Create({"a.bin"}, {ChooseList(dir_ + "c.md5", 1, false, 1), AnswerBox("Results")});
  EXPECT_EQ(Lines(GetFile(dir_ + "c.md5"))[0].rfind("; Generated by Corvana v2.33 on ", 0), 0u);
  EXPECT_EQ(Setting("CompatibilityMode"), "0");  // not touched for an MD5 list
  Create({"a.bin"}, {ChooseList(dir_ + "c.sfv", 0, false, 1), AnswerBox("Results")});
  EXPECT_EQ(Lines(GetFile(dir_ + "c.sfv"))[0].rfind(
                "; Generated by WIN-SFV32 v1.1a (Corvana v2.33 Compatibility Mode) on ", 0),
            0u);
  EXPECT_EQ(Setting("CompatibilityMode"), "1");
  // The dialog opens with the remembered state.
  auto notes = Create({"a.bin"}, {{kCreateTitle, [](HWND dialog, DialogDriver& driver) {
                                     driver.Note(IsChecked(dialog, kCompatible) ? "on" : "off");
                                     PressButton(dialog, IDCANCEL);
                                   }}});
  EXPECT_EQ(notes, std::vector<std::string>{"on"});
}

TEST_F(CreateListTest, UnreadableFilesAreAskedAboutAndSkipped) {
  for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"}) PutFile(dir_ + name, name);
  struct Case {
    const char* what;
    std::vector<int> answers;  // to each "Error opening file" in turn
    const char* result;
    size_t checksumLines;
  } cases[] = {
      {"yes to all asks once",
       {kYesToAll},
       "Results: x.sfv created successfully.  (2 file(s) skipped)",
       2},
      {"yes asks each time",
       {kYes, kYes},
       "Results: x.sfv created successfully.  (2 file(s) skipped)",
       2},
      {"no aborts", {kNo}, "Results: SFV creation aborted", 0},
  };
  for (const Case& c : cases) {
    DeleteFileA((dir_ + "x.sfv").c_str());  // the list of the case before
    // b.bin and d.bin are held open without sharing: the hasher cannot open them.
    UniqueFileHandle b(
        CreateFileA((dir_ + "b.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    UniqueFileHandle d(
        CreateFileA((dir_ + "d.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<DialogStep> steps = {ChooseList(dir_ + "x.sfv", 0)};
    for (int answer : c.answers) steps.push_back(AnswerBox("Error opening file", answer));
    steps.push_back(AnswerBox("Results"));
    auto notes = Create({"a.bin", "b.bin", "c.bin", "d.bin"}, steps);
    ASSERT_EQ(notes.size(), 2 + c.answers.size()) << c.what;
    EXPECT_EQ(notes[1], "Error opening file: Could not read " + dir_ + "b.bin") << c.what;
    if (c.answers.size() == 2) {
      EXPECT_EQ(notes[2], "Error opening file: Could not read " + dir_ + "d.bin") << c.what;
    }
    EXPECT_EQ(notes.back(), c.result) << c.what;
    if (c.checksumLines == 0) {
      EXPECT_FALSE(FileThere(dir_ + "x.sfv")) << c.what;
      continue;
    }
    std::vector<std::string> lines = Lines(GetFile(dir_ + "x.sfv"));
    // Comment lines for all four, checksum lines for the two read.
    ASSERT_EQ(lines.size(), 3u + 4 + c.checksumLines) << c.what;
    EXPECT_EQ(lines[7], "a.bin " + Hex8(Crc32Of("a.bin"))) << c.what;
    EXPECT_EQ(lines[8], "c.bin " + Hex8(Crc32Of("c.bin"))) << c.what;
  }
}

TEST_F(CreateListTest, AFileGoneBeforeItsTurnIsReportedAndLeftOut) {
  PutFile(dir_ + "a.bin", "a");
  // The drop names a file that no longer exists when its turn comes.
  auto notes = CreateAt(
      {dir_ + "a.bin", dir_ + "gone.bin"},
      {ChooseList(dir_ + "x.sfv", 0), AnswerBox("Error opening file", kYes), AnswerBox("Results")},
      true);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[1], "Error opening file: Could not locate fileinfo for " + dir_ + "gone.bin");
  EXPECT_EQ(notes[2], "Results: x.sfv created successfully.  (1 file(s) skipped)");
  std::vector<std::string> lines = Lines(GetFile(dir_ + "x.sfv"));
  ASSERT_EQ(lines.size(), 5u);  // no comment line for the missing file
  EXPECT_EQ(lines[4], "a.bin " + Hex8(Crc32Of("a")));
}

TEST_F(CreateListTest, CancelWhileHashingDeletesTheList) {
  // Long enough that the cancel always comes while it is hashed.
  ASSERT_TRUE(MakeSparseFile(dir_ + "big.bin", 32ull << 30));
  ASSERT_TRUE(MakeSparseFile(dir_ + "big2.bin", 32ull << 30));
  PutFile(dir_ + "small.bin", "s");
  // One file at a time, and two files being hashed side by side.
  for (const char* threads : {"1", "2"}) {
    SetSettings(std::string("[Corvana]\r\nThreads=") + threads + "\r\n");
    auto notes =
        Create({"big.bin", "big2.bin", "small.bin"}, {ChooseList(dir_ + "big.sfv", 0),
                                                      {"Status - Corvana v2.33",
                                                       [](HWND progress, DialogDriver& driver) {
                                                         Sleep(300);
                                                         driver.Note(ControlText(progress, 101));
                                                         PressButton(progress, IDCANCEL);
                                                       }},
                                                      AnswerBox("Results")});
    ASSERT_EQ(notes.size(), 3u) << threads;
    EXPECT_EQ(notes[1], "Processing big.bin...") << threads;
    EXPECT_EQ(notes[2], "Results: SFV creation aborted") << threads;
    EXPECT_FALSE(FileThere(dir_ + "big.sfv")) << threads;
  }
}

// Files hashed side by side come back in the selection's order: the lists
// are the same, byte for byte, as with one file at a time.
TEST_F(CreateListTest, FilesSideBySideGiveTheSameListAsOneAtATime) {
  CreateDirectoryA((dir_ + "many").c_str(), nullptr);
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "many\\f%04d.bin", i);
    // Small files of different lengths, so that they finish in any order.
    PutFile(dir_ + name, std::string(static_cast<size_t>(i * 37 % 5000), static_cast<char>(i)));
  }
  for (int i = 0; i < 3; ++i)
    PutFile(dir_ + "many\\large" + std::to_string(i) + ".bin",
            std::string((5u << 20) + static_cast<size_t>(i), static_cast<char>('L' + i)));
  for (const char* list : {"x.sfv", "x.sha256"}) {
    std::string texts[2];
    for (int threads = 1; threads <= 2; ++threads) {
      SetSettings("[Corvana]\r\nThreads=" + std::to_string(threads) + "\r\n");
      Create({"many"},
             {ChooseList(dir_ + list, std::string(list) == "x.sfv" ? 0 : 3), AnswerBox("Results")});
      texts[threads - 1] = GetFile(dir_ + list);
      DeleteFileA((dir_ + list).c_str());
    }
    // The generator line holds the time of its run.
    const size_t a = texts[0].find('\n'), b = texts[1].find('\n');
    ASSERT_NE(a, std::string::npos) << list;
    EXPECT_GT(texts[0].size(), 1003u * 50) << list;
    if (std::string(list) == "x.sfv")
      EXPECT_TRUE(texts[0].substr(a) == texts[1].substr(b)) << list;
    else
      EXPECT_TRUE(texts[0] == texts[1]) << list;
  }
}

TEST_F(CreateListTest, HiddenAndSystemFilesInFoldersStayOutOnRequest) {
  CreateDirectoryA((dir_ + "f").c_str(), nullptr);
  CreateDirectoryA((dir_ + "f\\h").c_str(), nullptr);
  for (const char* name :
       {"top.txt", "f\\seen.txt", "f\\hidden.txt", "f\\system.txt", "f\\h\\inner.txt"})
    PutFile(dir_ + name, name);
  SetFileAttributesA((dir_ + "top.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((dir_ + "f\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((dir_ + "f\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesA((dir_ + "f\\h").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  auto names = [&](const char* list) {
    std::vector<std::string> result;
    std::vector<std::string> lines = Lines(GetFile(dir_ + list));
    for (const std::string& line : lines)
      if (line[0] != ';') result.push_back(line.substr(0, line.size() - 9));
    return result;
  };
  Create({"top.txt", "f"}, {ChooseList(dir_ + "all.sfv", 0, false), AnswerBox("Results")});
  EXPECT_EQ(names("all.sfv"), (std::vector<std::string>{"top.txt", "f\\hidden.txt", "f\\seen.txt",
                                                        "f\\system.txt", "f\\h\\inner.txt"}));
  Create({"top.txt", "f"}, {ChooseList(dir_ + "some.sfv", 0, true), AnswerBox("Results")});
  // The file selected by name stays; the list has no comment line for the others either.
  EXPECT_EQ(names("some.sfv"), (std::vector<std::string>{"top.txt", "f\\seen.txt"}));
  EXPECT_EQ(Lines(GetFile(dir_ + "some.sfv")).size(), 3u + 2 + 2);
}

TEST_F(CreateListTest, AListThatCannotBeCreatedIsReported) {
  PutFile(dir_ + "a.bin", "a");
  auto notes = Create({"a.bin"}, {ChooseList(dir_ + "missing\\x.sfv", 0), AnswerBox("Error")});
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1], "Error: Could not create database file");
}

TEST_F(CreateListTest, ItemsOfSeveralFoldersAreNamedFromTheFolderTheyShare) {
  CreateDirectoryA((dir_ + "deeper").c_str(), nullptr);
  CreateDirectoryA((dir_ + "deeper\\down").c_str(), nullptr);
  PutFile(dir_ + "deeper\\down\\a.bin", "a");
  PutFile(dir_ + "b.bin", "b");
  // As a search's results come: the deeper file first.
  CreateAt({dir_ + "deeper\\down\\a.bin", dir_ + "b.bin"},
           {ChooseList(dir_ + "x.sfv", 0), AnswerBox("Results")}, true);
  std::vector<std::string> lines = Lines(GetFile(dir_ + "x.sfv"));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[5], "b.bin " + Hex8(Crc32Of("b")));
  EXPECT_EQ(lines[6], "deeper\\down\\a.bin " + Hex8(Crc32Of("a")));
}

TEST_F(CreateListTest, PathsTooLongForTheSelectionAreRefusedNotCut) {
  // Longer than any path the system opens: refused by its length alone. The
  // shell's folders take no path this long: the drop is made by hand, with a
  // file of another folder first.
  std::string longPath = dir_;
  for (int i = 0; i < 3; ++i) longPath += std::string(11000, static_cast<char>('p' + i)) + "\\";
  longPath += "f.bin";
  CreateDirectoryA((dir_ + "other").c_str(), nullptr);
  PutFile(dir_ + "other\\a.bin", "a");
  auto notes = CreateAt(
      {dir_ + "other\\a.bin", longPath},
      {ChooseList(dir_ + "x.sfv", 0), AnswerBox("Error opening file", kYes), AnswerBox("Results")},
      true);
  ASSERT_EQ(notes.size(), 3u);
  std::string expected = "Error opening file: The path is too long to be listed (over ";
  EXPECT_EQ(notes[1].rfind(expected, 0), 0u) << notes[1];
  EXPECT_NE(notes[1].find(" characters): " + dir_.substr(0, 20)), std::string::npos) << notes[1];
  EXPECT_NE(notes[1].find("...rrrr"), std::string::npos) << notes[1];
  EXPECT_EQ(notes[1].substr(notes[1].size() - 6), "\\f.bin");
  EXPECT_EQ(notes[2], "Results: x.sfv created successfully.  (1 file(s) skipped)");
  // a.bin is listed alone; its name is not taken from the refused path.
  std::vector<std::string> lines = Lines(GetFile(dir_ + "x.sfv"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "a.bin " + Hex8(Crc32Of("a")));
}

// Paths of 300 and of 1,000 characters below a selected folder are listed
// under their whole relative names.
TEST_F(CreateListTest, LongPathsAreListed) {
  std::vector<std::string> relative;
  for (size_t length : {300u, 1000u}) {
    std::string name = "deep" + std::to_string(length);
    std::string folder = dir_ + "deep\\" + name;
    CreateFolderUtf8((dir_ + "deep").c_str());
    CreateFolderUtf8(folder.c_str());
    while (folder.size() + 120 < length) {
      folder += "\\" + std::string(100, static_cast<char>('a' + folder.size() % 26));
      ASSERT_TRUE(CreateFolderUtf8(folder.c_str()));
    }
    std::string path = folder + "\\" + std::string(length - folder.size() - 5, 'z') + ".bin";
    ASSERT_EQ(path.size(), length);
    PutUtf8(path, name);
    if (!HasherOpens(path)) GTEST_SKIP() << "the file hasher does not open a path of " << length;
    relative.push_back(path.substr(dir_.size()));
  }
  Create({"deep"}, {ChooseList(dir_ + "long.md5", 1), AnswerBox("Results")});
  std::vector<std::string> lines = Lines(GetFile(dir_ + "long.md5"));
  ASSERT_EQ(lines.size(), 3u + 2 * 2);
  EXPECT_TRUE(Has(lines, Md5HexOf("deep300") + " *" + relative[0])) << relative[0];
  EXPECT_TRUE(Has(lines, Md5HexOf("deep1000") + " *" + relative[1])) << relative[1];
}

// The shared names and one ASCII name in the folder "u"; false when the
// hashing cannot open such names.
bool PutUnicodeFolder(const std::string& dir) {
  CreateFolderUtf8((dir + "u").c_str());
  PutUtf8(dir + "u\\plain.txt", "plain");
  for (const UnicodeName& n : kUnicodeNames) PutUtf8(dir + "u\\" + n.Utf8, n.Utf8);
  return HasherOpens(dir + "u\\" + kUnicodeNames[4].Utf8);
}

// The shared names: an ASCII name's line is as ever, the others are UTF-8
// without a byte-order mark.
TEST_F(CreateListTest, UnicodeNamesGoIntoUtf8Lists) {
  if (!PutUnicodeFolder(dir_)) GTEST_SKIP() << "the hashing opens names through the ANSI code page";
  auto notes = Create({"u"}, {ChooseList(dir_ + "uni.sfv", 0), AnswerBox("Results")});
  ASSERT_EQ(notes.back(), "Results: uni.sfv created successfully");
  std::string text = GetFile(dir_ + "uni.sfv");
  EXPECT_TRUE(IsValidUtf8(text.data(), text.size()));
  EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<std::string> lines = Lines(text);
  EXPECT_TRUE(Has(lines, "u\\plain.txt " + Hex8(Crc32Of("plain"))));
  for (const UnicodeName& n : kUnicodeNames)
    EXPECT_TRUE(Has(lines, std::string("u\\") + n.Utf8 + " " + Hex8(Crc32Of(n.Utf8)))) << n.Utf8;
}

// "ListEncoding=ANSI" writes the ANSI code page and refuses, as a file that
// cannot be listed, every name it cannot hold.
TEST_F(CreateListTest, AnsiListsRefuseNamesTheCodePageCannotHold) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI lists are checked in the Western code page";
  if (!PutUnicodeFolder(dir_)) GTEST_SKIP() << "the hashing opens names through the ANSI code page";
  SetSettings("[Corvana]\r\nListEncoding=ANSI\r\n");
  size_t refused = 0;
  for (const UnicodeName& n : kUnicodeNames) refused += n.InWesternAnsi ? 0 : 1;
  auto notes = Create({"u"}, {ChooseList(dir_ + "ansi.sfv", 0),
                              AnswerBox("Error opening file", kYesToAll), AnswerBox("Results")});
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(
      notes[1].rfind(
          "Error opening file: The name cannot be written in the ANSI code page: " + dir_ + "u\\",
          0),
      0u)
      << notes[1];
  EXPECT_EQ(notes[2], "Results: ansi.sfv created successfully.  (" + std::to_string(refused) +
                          " file(s) skipped)");
  std::vector<std::string> lines = Lines(GetFile(dir_ + "ansi.sfv"));
  EXPECT_EQ(lines.size(), 3 + 2 * (1 + std::size(kUnicodeNames) - refused));
  for (const UnicodeName& n : kUnicodeNames) {
    if (!n.InWesternAnsi) continue;
    std::string ansi;
    ASSERT_TRUE(AppendUtf8AsAnsi(n.Utf8, std::strlen(n.Utf8), &ansi, true));
    EXPECT_TRUE(Has(lines, "u\\" + ansi + " " + Hex8(Crc32Of(n.Utf8)))) << n.Utf8;
  }
}

}  // namespace

// An older list of the chosen name is the user's until the new one is
// complete: selected itself it cannot be read (it is held while the new list
// is written), a finished list replaces it, and a cancelled one leaves it as
// it was, with no temporary file left behind.
TEST_F(CreateListTest, AnOlderListOfTheSameNameIsReplacedOnlyByAFinishedList) {
  const std::string old = "; an older list\r\nkept.bin 01234567\r\n";
  PutFile(dir_ + "a.bin", "a");
  struct Case {
    int answer;  // to "Could not read" the older list
    const char* result;
    bool replaced;
  } cases[] = {{kYes, "Results: x.sfv created successfully.  (1 file(s) skipped)", true},
               {kNo, "Results: SFV creation aborted", false}};
  for (const Case& c : cases) {
    PutFile(dir_ + "x.sfv", old);
    auto notes = Create({"a.bin", "x.sfv"},
                        {ChooseList(dir_ + "x.sfv", 0), AnswerBox("Error opening file", c.answer),
                         AnswerBox("Results")});
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[1], "Error opening file: Could not read " + dir_ + "x.sfv");
    EXPECT_EQ(notes[2], c.result);
    std::string now = GetFile(dir_ + "x.sfv");
    if (c.replaced) {
      std::vector<std::string> lines = Lines(now);
      ASSERT_EQ(lines.size(), 3u + 2 + 1);
      EXPECT_EQ(lines[5], "a.bin " + Hex8(Crc32Of("a")));
    } else {
      EXPECT_EQ(now, old);
    }
    WIN32_FIND_DATAA found;
    UniqueFindHandle temp(FindFirstFileA((dir_ + "*.tmp").c_str(), &found));
    EXPECT_FALSE(temp.Valid()) << found.cFileName;
  }
}
