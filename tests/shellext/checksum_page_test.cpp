// The "Checksums" page as Explorer's Properties shows it: the shell's data
// object for the selection, Initialize, AddPages, a modeless property sheet
// with the page, and its controls and rows read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/files_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/checksum_page_win32.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/results/desktop_win32.h"
#include "tests/shellext/explorer_host_win32.h"

namespace {

constexpr char kChecking[] = "Checking\xE2\x80\xA6";
constexpr char kNoMatch[] = "No checksum of the selected files matches";
constexpr uint32_t kPatternBytes = 2621447;  // two and a half blocks and more

// Digests by zlib.crc32 and Python's hashlib, SHA-512 also by openssl dgst,
// BLAKE3 by b3sum: {CRC-32, MD5, SHA-1, SHA-256, SHA-512, BLAKE3}.
struct Known {
  const char* name;
  std::vector<std::string> digests;
};
const Known kEmpty = {
    "empty",
    {"00000000", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
     "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877ee"
     "c2"
     "f63b931bd47417a81a538327af927da3e",
     "af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262", "02cc5d05",
     "ef46db3751d8e999", "2d06800538d394c2", "99aa06d3014798d86001c324468d497f"}};
const Known kAbc = {
    "a.bin",
    {"352441C2", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fee"
     "bb"
     "d454d4423643ce80e2a9ac94fa54ca49f",
     "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85", "32d153ff",
     "44bc2cf5ad770999", "78af5f94892f3950", "06b05ab6733a618578af5f94892f3950"}};
const Known kPattern = {
    "pattern.dat",
    {"60A35550", "6e94125b12cbc12491ecc09b98175d96", "63072b9eb70e27bd78ff906c56fba8067239cd52",
     "56ede49d7e45c726cb1f2485914346542801fc736cf006346ec874a916834895",
     "8c21024ae0f8f5a632141344e352970f3319b96e5f25dc66e7ba829f99cd51ae51f43e8a399b6c5149ff088f4f93d"
     "22"
     "cec90f13856464e5d5919e3f28abd8621",
     "227a2851758429730a350241d32b1776ea55f271c54fc45ea21dd71b8e4ebb30", "a212d14c",
     "ab10900d2cfc575f", "573329126461f970", "6c99a424845f902a573329126461f970"}};
// The XXH digests as xxhsum 0.8.1 prints them (-H0, -H1, -H3, -H2).
const char* const kAlgorithms[] = {"CRC-32", "MD5",   "SHA-1", "SHA-256", "SHA-512",
                                   "BLAKE3", "XXH32", "XXH64", "XXH3",    "XXH128"};

void Put(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Pattern(uint32_t size) {
  std::string bytes(size, '\0');
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + (i >> 9)) & 0xFF);
  return bytes;
}

// The rows the page should show for `files`, every algorithm.
std::vector<std::vector<std::string>> RowsOf(const std::vector<const Known*>& files) {
  std::vector<std::vector<std::string>> rows;
  for (const Known* file : files) {
    for (size_t i = 0; i < std::size(kAlgorithms); ++i)
      rows.push_back({file->name, kAlgorithms[i], file->digests[i]});
  }
  return rows;
}

class ChecksumPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(MakeTempFolder("checksumpage"));
    Put(At("empty"), "");
    Put(At("a.bin"), "abc");
    Put(At("pattern.dat"), Pattern(kPatternBytes));
    Put(At("\xD0\xB6\xE6\x96\x87\xF0\x9F\x93\x84.bin"), "abc");  // Cyrillic, CJK, an emoji
    CreateDirectoryA(At("sub").c_str(), nullptr);
    ASSERT_NE(InstallShellExtension(*folder_), "");
  }
  static void TearDownTestSuite() {
    UnregisterShellExtension();
    RemoveTree(*folder_);
    delete folder_;
  }
  void SetUp() override {
    ASSERT_TRUE(apartment_.Ok());
    SetClipboardTextUtf8(nullptr, "");
  }
  void TearDown() override {
    sheet_.reset();
    handler_.Reset();
    DeleteFileA(At("Corvana.ini").c_str());
  }

  static std::string At(const std::string& name) { return *folder_ + name; }

  // AddPages on the shell's selection of `names`: the pages it added.
  std::vector<HPROPSHEETPAGE> Pages(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(At(name));
    return PagesOf(SelectionOf(paths));
  }
  std::vector<HPROPSHEETPAGE> PagesOf(ComPtr<IDataObject> data) {
    std::vector<HPROPSHEETPAGE> pages;
    EXPECT_TRUE(data);
    if (!handler_.Create() || !data || handler_.Initialize(data.Get()) != S_OK) return pages;
    EXPECT_EQ(handler_.AddPages(&pages), S_OK);
    return pages;
  }

  // Properties opened on `names` (a sheet kept off the screen unless
  // `visible`); the page's window once every file is done.
  HWND Open(const std::vector<std::string>& names, bool visible = false) {
    std::vector<HPROPSHEETPAGE> pages = Pages(names);
    EXPECT_EQ(pages.size(), 1u);
    if (pages.size() != 1) return nullptr;
    sheet_ = std::make_unique<PropertiesSheet>(pages, visible);
    page_ = sheet_->ShowPage(0);
    EXPECT_TRUE(PumpUntil([&] { return Done(); })) << Text(kCheckResultText);
    return page_;
  }

  // Hashing has ended: the bar is full or every row has its text.
  bool Done() {
    if (SendDlgItemMessageW(page_, kChecksumProgress, PBM_GETPOS, 0, 0) < 1000) return false;
    for (const auto& row : Rows())
      if (row[2].empty()) return false;
    return true;
  }

  std::vector<std::vector<std::string>> Rows() {
    ListViewReader list(GetDlgItem(page_, kChecksumList), GetCurrentProcess());
    std::vector<std::vector<std::string>> rows;
    for (const ListRow& row : list.Rows()) rows.push_back({row.name, row.crc, row.status});
    return rows;
  }
  std::vector<int> Selected() {
    return ListViewReader(GetDlgItem(page_, kChecksumList), GetCurrentProcess()).Selected();
  }
  std::string Text(int id) { return ControlText(page_, id); }
  // Typing into the box checks again at once.
  std::string Check(const std::string& text) {
    SetControlText(page_, kCheckAgainstEdit, text);
    DispatchHostMessages();
    return Text(kCheckResultText);
  }
  // The tick or cross is shown (its own style: the sheet may be off the screen).
  bool IconShown() {
    HWND icon = GetDlgItem(page_, kCheckResultIcon);
    return (GetWindowLongW(icon, GWL_STYLE) & WS_VISIBLE) &&
           SendMessageW(icon, STM_GETICON, 0, 0) != 0;
  }

  static std::string* folder_;
  ComApartment apartment_;
  ShellHandler handler_;
  std::unique_ptr<PropertiesSheet> sheet_;
  HWND page_ = nullptr;
};
std::string* ChecksumPageTest::folder_ = nullptr;

TEST_F(ChecksumPageTest, EveryDigestOfEveryFileAsThePeersPrintIt) {
  ASSERT_TRUE(Open({"empty", "a.bin", "pattern.dat"}, true));
  EXPECT_EQ(Rows(), RowsOf({&kEmpty, &kAbc, &kPattern}));
  EXPECT_EQ(Text(kChecksumStatus), "");
  EXPECT_EQ(Text(kCheckAgainstEdit), "");  // nothing on the clipboard
  EXPECT_EQ(Text(kCheckResultText), "");
}

TEST_F(ChecksumPageTest, PagesFollowTheSelection) {
  struct Case {
    const char* what;
    std::vector<std::string> names;
    size_t pages;
  } cases[] = {
      {"one file", {"a.bin"}, 1},
      {"a folder alone", {"sub"}, 0},
      {"a file and a folder", {"a.bin", "sub"}, 1},
  };
  for (const Case& c : cases) {
    std::vector<HPROPSHEETPAGE> pages = Pages(c.names);
    EXPECT_EQ(pages.size(), c.pages) << c.what;
    for (HPROPSHEETPAGE page : pages) DestroyPropertySheetPage(page);
    handler_.Reset();
  }
  // More than 1,000 files: no page (the names need not exist).
  std::vector<std::string> many;
  for (int i = 0; i <= 1000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%d", i);
    many.push_back(At(name));
  }
  EXPECT_EQ(PagesOf(DropOf(many)).size(), 0u);
  many.pop_back();
  std::vector<HPROPSHEETPAGE> pages = PagesOf(DropOf(many));
  EXPECT_EQ(pages.size(), 1u);
  for (HPROPSHEETPAGE page : pages) DestroyPropertySheetPage(page);
  EXPECT_EQ(handler_.ReplacePage(1), E_NOTIMPL);
  handler_.Reset();
  EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
}

TEST_F(ChecksumPageTest, TheFolderAndTheFileNamesOnlyGiveTheRowsAFileAndAFolderAsked) {
  ASSERT_TRUE(Open({"a.bin", "sub"}));
  EXPECT_EQ(Rows(), RowsOf({&kAbc}));
}

TEST_F(ChecksumPageTest, TheBoxChecksEveryRowAsItIsTyped) {
  ASSERT_TRUE(Open({"a.bin", "pattern.dat"}));
  HWND list = GetDlgItem(page_, kChecksumList);
  struct Case {
    const char* what;
    std::string text;
    const char* result;
    int row;  // selected afterwards, -1 none
  } cases[] = {
      {"SHA-256 of the first file", kAbc.digests[3], "Matches the SHA-256 of a.bin", 3},
      {"upper case", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
       "Matches the SHA-256 of a.bin", 3},
      {"64 digits that are a BLAKE3", kPattern.digests[5], "Matches the BLAKE3 of pattern.dat", 15},
      {"CRC-32", "60a35550", "Matches the CRC-32 of pattern.dat", 10},
      {"MD5", kPattern.digests[1], "Matches the MD5 of pattern.dat", 11},
      {"SHA-1", kAbc.digests[2], "Matches the SHA-1 of a.bin", 2},
      {"SHA-512", kPattern.digests[4], "Matches the SHA-512 of pattern.dat", 14},
      {"16 digits that are an XXH3", kPattern.digests[8], "Matches the XXH3 of pattern.dat", 18},
      {"XXH128", kAbc.digests[9], "Matches the XXH128 of a.bin", 9},
      {"a wrong digest", "0000000000000000000000000000000000000000000000000000000000000001",
       kNoMatch, -1},
      {"no digest at all", "see the download page", "", -1},
  };
  for (const Case& c : cases) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(Check(c.text), c.result) << c.what;
    EXPECT_EQ(IconShown(), *c.result != 0) << c.what;
    EXPECT_EQ(Selected(), c.row < 0 ? std::vector<int>{} : std::vector<int>{c.row}) << c.what;
  }
}

// Every form a digest is published in, put on the clipboard before
// Properties opens: the box shows the line holding it and the page names
// the row it matches.
TEST_F(ChecksumPageTest, TheClipboardsDigestIsCheckedOnOpening) {
  const std::string sha256 = kAbc.digests[3];
  struct Case {
    std::string clipboard;
    std::string box;
    const char* result;
  } cases[] = {
      {sha256, sha256, "Matches the SHA-256 of a.bin"},
      {"Release 1.0\r\n" + sha256 + "  a.bin\r\n", sha256 + "  a.bin",
       "Matches the SHA-256 of a.bin"},
      {sha256 + " *a.bin", sha256 + " *a.bin", "Matches the SHA-256 of a.bin"},
      {"sha256:" + sha256, "sha256:" + sha256, "Matches the SHA-256 of a.bin"},
      {"SHA256=" + sha256, "SHA256=" + sha256, "Matches the SHA-256 of a.bin"},
      {"SHA-256: " + sha256, "SHA-256: " + sha256, "Matches the SHA-256 of a.bin"},
      {"SHA256 (a.bin) = " + sha256, "SHA256 (a.bin) = " + sha256, "Matches the SHA-256 of a.bin"},
      {"sha256-ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=",
       "sha256-ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=", "Matches the SHA-256 of a.bin"},
      {"ba:78:16:bf:8f:01:cf:ea:41:41:40:de:5d:ae:22:23:b0:03:61:a3:96:17:7a:9c:b4:10:ff:61:f2:00:"
       "15:ad",
       "ba:78:16:bf:8f:01:cf:ea:41:41:40:de:5d:ae:22:23:b0:03:61:a3:96:17:7a:9c:b4:10:ff:61:f2:00:"
       "15:ad",
       "Matches the SHA-256 of a.bin"},
      {"MD5: 9001 5098 3cd2 4fb0 d696 3f7d 28e1 7f72",
       "MD5: 9001 5098 3cd2 4fb0 d696 3f7d 28e1 7f72", "Matches the MD5 of a.bin"},
      {"no digest here", "", ""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetClipboardTextUtf8(nullptr, c.clipboard));
    ASSERT_TRUE(Open({"a.bin"})) << c.clipboard;
    EXPECT_EQ(Text(kCheckAgainstEdit), c.box) << c.clipboard;
    EXPECT_EQ(Text(kCheckResultText), c.result) << c.clipboard;
    sheet_.reset();
    handler_.Reset();
  }
}

TEST_F(ChecksumPageTest, AUnicodeNameAndALongPath) {
  const std::string unicode = "\xD0\xB6\xE6\x96\x87\xF0\x9F\x93\x84.bin";
  ASSERT_TRUE(Open({unicode}));
  std::vector<std::vector<std::string>> rows = Rows();
  ASSERT_EQ(rows.size(), std::size(kAlgorithms));
  EXPECT_EQ(rows[0][0], unicode);
  EXPECT_EQ(rows[3][2], kAbc.digests[3]);
  EXPECT_EQ(Check(kAbc.digests[3]), "Matches the SHA-256 of " + unicode);
  sheet_.reset();
  handler_.Reset();

  // A path of more than 260 characters, handed over as a drop.
  std::string deep = *folder_;
  for (int i = 0; i < 6; ++i) {
    deep += std::string(50, static_cast<char>('a' + i)) + "\\";
    CreateFolderUtf8(deep.c_str());
  }
  const std::string path = deep + "a.bin";
  ASSERT_GT(path.size(), 300u);
  Put(path, "abc");
  std::vector<HPROPSHEETPAGE> pages = PagesOf(DropOf({path}));
  ASSERT_EQ(pages.size(), 1u);
  sheet_ = std::make_unique<PropertiesSheet>(pages, false);
  page_ = sheet_->ShowPage(0);
  ASSERT_TRUE(PumpUntil([&] { return Done(); }));
  EXPECT_EQ(Rows(), RowsOf({&kAbc}));
}

TEST_F(ChecksumPageTest, AFileHeldWithoutSharingCouldNotBeRead) {
  const std::string held = At("held.bin");
  Put(held, "abc");
  UniqueFileHandle lock(CreateFileUtf8(held.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0));
  ASSERT_TRUE(lock);
  ASSERT_TRUE(Open({"a.bin", "held.bin"}));
  std::vector<std::vector<std::string>> rows = Rows();
  const size_t n = std::size(kAlgorithms);
  ASSERT_EQ(rows.size(), 2 * n);
  for (size_t i = n; i < 2 * n; ++i) EXPECT_EQ(rows[i][2], "Could not read") << i;
  EXPECT_EQ(rows[3][2], kAbc.digests[3]);  // the other file is hashed all the same
  const std::string status = Text(kChecksumStatus);
  EXPECT_EQ(status.rfind("Could not read held.bin: ", 0), 0u) << status;
  EXPECT_GT(status.size(), std::string("Could not read held.bin: ").size());
  EXPECT_EQ(Check(kAbc.digests[0]), "Matches the CRC-32 of a.bin");
}

TEST_F(ChecksumPageTest, TheSettingChoosesTheAlgorithms) {
  Put(At("Corvana.ini"), "[Corvana]\r\nChecksumAlgorithms=sha256, MD5,unknown\r\n");
  ASSERT_TRUE(Open({"a.bin"}));
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"a.bin", "MD5", kAbc.digests[1]},
                                                           {"a.bin", "SHA-256", kAbc.digests[3]}}));
  EXPECT_EQ(Check(kAbc.digests[0]), kNoMatch);  // CRC-32 is not shown, so not compared
}

TEST_F(ChecksumPageTest, CopyTakesTheSelectedRowsOrAll) {
  ASSERT_TRUE(Open({"empty", "a.bin"}));
  HWND list = GetDlgItem(page_, kChecksumList);
  SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kChecksumCopy, BN_CLICKED), 0);
  std::string all;
  for (const Known* file : {&kEmpty, &kAbc}) {
    for (const std::string& digest : file->digests) all += digest + "  " + file->name + "\r\n";
  }
  EXPECT_EQ(SystemUtf8(ClipboardUnicode()), all);
  ListView_SetItemState(list, 13, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 10, LVIS_SELECTED, LVIS_SELECTED);
  SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kChecksumCopy, BN_CLICKED), 0);
  EXPECT_EQ(SystemUtf8(ClipboardUnicode()),
            "352441C2  a.bin\r\n" + kAbc.digests[3] + "  a.bin\r\n");
}

// "Save..." hands the chosen rows' files to list creation, whose dialog
// proposes a list of the first chosen row's algorithm in the files' folder,
// named after the first of them in the creation's order.
TEST_F(ChecksumPageTest, SaveWritesTheListOfTheChosenAlgorithm) {
  Put(At("Corvana.ini"), "[Corvana]\r\nShowDoneCreate=0\r\n");
  ASSERT_TRUE(Open({"empty", "a.bin"}));
  HWND list = GetDlgItem(page_, kChecksumList);
  ListView_SetItemState(list, 3, LVIS_SELECTED, LVIS_SELECTED);   // SHA-256 of empty
  ListView_SetItemState(list, 13, LVIS_SELECTED, LVIS_SELECTED);  // SHA-256 of a.bin
  DialogDriver driver({{"Create .SFV file - Corvana", [](HWND dialog, DialogDriver& d) {
                          d.Note(ControlText(dialog, 1000));
                          d.Note(ComboEntry(dialog, 1003, ComboSelection(dialog, 1003)));
                          PressButton(dialog, IDOK);
                        }}});
  SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kChecksumSave, BN_CLICKED), 0);
  ASSERT_TRUE(WaitForCommands(60000));
  ASSERT_TRUE(driver.Finish()) << driver.Missed();
  EXPECT_EQ(driver.Notes(), (std::vector<std::string>{At("a.sha256"), ".sha256"}));
  HANDLE file = CreateFileUtf8(At("a.sha256").c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char text[512] = {};
  DWORD got = 0;
  ReadFile(file, text, sizeof text - 1, &got, nullptr);
  CloseHandle(file);
  EXPECT_EQ(std::string(text, got),
            kAbc.digests[3] + "  a.bin\n" + kEmpty.digests[3] + "  empty\n");
  DeleteFileA(At("a.sha256").c_str());
}

// Until hashing ends the box says "Checking…"; closing Properties while a
// large file is hashed ends the work at once (hashing the file would take
// many seconds) and the module may then go.
TEST_F(ChecksumPageTest, ClosingTheSheetStopsTheWork) {
  const std::string large = At("large.bin");
  ASSERT_TRUE(MakeSparseFile(large, 16ull << 30));
  ASSERT_TRUE(SetClipboardTextUtf8(nullptr, kAbc.digests[1]));
  std::vector<HPROPSHEETPAGE> pages = Pages({"large.bin"});
  ASSERT_EQ(pages.size(), 1u);
  sheet_ = std::make_unique<PropertiesSheet>(pages);
  page_ = sheet_->ShowPage(0);
  EXPECT_EQ(Text(kCheckAgainstEdit), kAbc.digests[1]);
  EXPECT_EQ(Text(kCheckResultText), kChecking);
  EXPECT_FALSE(IconShown());
  ASSERT_TRUE(PumpUntil(
      [&] { return SendDlgItemMessageW(page_, kChecksumProgress, PBM_GETPOS, 0, 0) > 0; }));
  EXPECT_FALSE(CommandThreads().empty());  // the page's worker and digest threads
  const DWORD start = GetTickCount();
  sheet_->Close();
  // Wine's property sheet takes some two seconds to go, with or without pages.
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_TRUE(CommandThreads().empty());
  handler_.Reset();
  EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
  DeleteFileA(large.c_str());
}

}  // namespace
