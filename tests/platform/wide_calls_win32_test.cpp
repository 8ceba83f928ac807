// The UTF-8 wrappers of the wide calls against Wine's real file system,
// registry, profile files and clipboard: every name of the shared table, paths
// of 300 and 1,000 characters, and names ending in a dot.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/ansi_codepage.h"
#include "platform/file.h"
#include "platform/files_win32.h"
#include "platform/long_path_win32.h"
#include "platform/profile_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "tests/platform/unicode_names.h"

namespace {

// A fresh folder under the temporary folder, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = Utf8(temp) + "wide calls \xCE\xA9 " + std::to_string(::GetCurrentProcessId());
    EXPECT_TRUE(CreateFolderUtf8(path_.c_str()));
  }
  ~ScratchFolder() { RemoveTree(path_); }
  const std::string& Path() const { return path_; }

 private:
  static void RemoveTree(const std::string& folder) {
    FoundFile f;
    HANDLE h = FindFirstUtf8((folder + "\\*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (f.Name == "." || f.Name == "..") continue;
        const std::string full = folder + "\\" + f.Name;
        if (f.Attributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(full);
        else
          DeleteFileUtf8(full.c_str());
      } while (FindNextUtf8(h, &f));
      ::FindClose(h);
    }
    RemoveFolderUtf8(folder.c_str());
  }
  std::string path_;
};

bool WriteText(const std::string& path, const std::string& text) {
  UniqueFile f(OpenFile(path.c_str(), OpenMode::CreateExclusive));
  return f && WriteToFile(f.Get(), text.data(), static_cast<uint32_t>(text.size()));
}

std::string ReadText(const std::string& path) {
  UniqueFile f(OpenFile(path.c_str(), OpenMode::ReadShared));
  if (!f) return "<cannot open>";
  char buffer[256];
  uint32_t got = 0;
  ReadFromFile(f.Get(), buffer, sizeof buffer, &got);
  return std::string(buffer, got);
}

TEST(WideCalls, EveryNameIsCreatedOpenedListedMovedAndDeleted) {
  ScratchFolder folder;
  for (const UnicodeName& n : kUnicodeNames) {
    const std::string path = folder.Path() + "\\" + n.Utf8;
    ASSERT_TRUE(WriteText(path, n.Utf8)) << n.Utf8;
    EXPECT_EQ(ReadText(path), n.Utf8);
    WIN32_FILE_ATTRIBUTE_DATA data;
    EXPECT_TRUE(GetFileAttributesExUtf8(path.c_str(), &data)) << n.Utf8;
    EXPECT_EQ(data.nFileSizeLow, std::string(n.Utf8).size());
  }
  // The search gives back exactly the names that were written.
  int seen = 0;
  FoundFile f;
  HANDLE h = FindFirstUtf8((folder.Path() + "\\*").c_str(), &f);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    for (const UnicodeName& n : kUnicodeNames) seen += f.Name == n.Utf8;
  } while (FindNextUtf8(h, &f));
  ::FindClose(h);
  EXPECT_EQ(seen, static_cast<int>(std::size(kUnicodeNames)));
  // "Ŝample.bin" and "Sample.bin" are two files: no best-fit look-alike.
  EXPECT_EQ(GetFileAttributesUtf8((folder.Path() + "\\Sample.bin").c_str()),
            INVALID_FILE_ATTRIBUTES);
  for (const UnicodeName& n : kUnicodeNames) {
    const std::string from = folder.Path() + "\\" + n.Utf8;
    const std::string to = from + " moved.";
    EXPECT_TRUE(MoveFileUtf8(from.c_str(), to.c_str(), 0)) << n.Utf8;
    EXPECT_EQ(ReadText(to), n.Utf8);
    EXPECT_TRUE(DeleteFileUtf8(to.c_str()));
  }
}

TEST(WideCalls, PathsOf300And1000CharactersWork) {
  ScratchFolder folder;
  for (size_t total : {300u, 1000u}) {
    // Folders of 100 characters, then a file, until the path has `total`.
    std::string path = folder.Path();
    while (path.size() + 101 < total) {
      path += '\\';
      path.append(99, total == 300 ? 'd' : 'e');
      path += "\xC3\xA9";
      ASSERT_TRUE(CreateFolderUtf8(path.c_str())) << path.size();
    }
    path += '\\';
    path.append(total - path.size(), 'f');
    ASSERT_EQ(path.size(), total);
    ASSERT_TRUE(WriteText(path, "deep")) << total;
    EXPECT_EQ(ReadText(path), "deep");
    // Relative to the current folder, with "." and ".." in it, as list names
    // are given.
    ::SetCurrentDirectoryW(Wide(folder.Path()).c_str());
    std::string relative = ".\\x\\..\\";
    relative.append(path, folder.Path().size() + 1);
    EXPECT_EQ(ReadText(relative), "deep") << total;
    ::SetCurrentDirectoryW(L"C:\\");
  }
}

TEST(WideCalls, SystemPathKeepsShortPathsAndPrefixesTheRest) {
  EXPECT_EQ(SystemPath("C:\\a\\b.txt"), L"C:\\a\\b.txt");
  EXPECT_EQ(SystemPath("C:\\a\\b."), L"\\\\?\\C:\\a\\b.");
  EXPECT_EQ(SystemPath("\\\\server\\share\\x."), L"\\\\?\\UNC\\server\\share\\x.");
  ::SetCurrentDirectoryW(L"C:\\windows");
  EXPECT_EQ(SystemPath("sub\\..\\name ."), L"\\\\?\\C:\\windows\\name .");
  EXPECT_EQ(SystemPath("\\root."), L"\\\\?\\C:\\root.");
  // Drive-relative: every name keeps its trailing dot, not only the last.
  EXPECT_EQ(SystemPath("C:dir.\\sub \\x."), L"\\\\?\\C:\\windows\\dir.\\sub \\x.");
  // A reserved device name as the last name names a file.
  EXPECT_EQ(SystemPath("C:\\a\\nul"), L"\\\\?\\C:\\a\\nul");
  EXPECT_EQ(SystemPath("con.txt"), L"\\\\?\\C:\\windows\\con.txt");
  EXPECT_EQ(SystemPath("C:\\nul\\x"), L"C:\\nul\\x");
  ::SetCurrentDirectoryW(L"C:\\");
}

TEST(WideCalls, DriveRelativeNamesWithTrailingDotsOpenTheirFiles) {
  ScratchFolder scratch;
  const std::string folder = scratch.Path() + "\\dots.";
  ASSERT_TRUE(CreateFolderUtf8(folder.c_str()));
  ASSERT_TRUE(WriteText(folder + "\\name.", "dotted"));
  ASSERT_TRUE(WriteText(folder + "\\nul", "not a device"));
  ASSERT_TRUE(::SetCurrentDirectoryW(Wide(scratch.Path()).c_str()));
  const std::string drive = scratch.Path().substr(0, 2);  // "C:"
  EXPECT_EQ(ReadText(drive + "dots.\\name."), "dotted");
  EXPECT_EQ(ReadText(drive + "dots.\\nul"), "not a device");
  ::SetCurrentDirectoryW(L"C:\\");
}

TEST(WideCalls, RegistryStringsRoundTrip) {
  HKEY key = nullptr;
  const char* sub = "Software\\Corvana wide test \xE6\x9D\xB1";
  ASSERT_EQ(RegCreateKeyUtf8(HKEY_CURRENT_USER, sub, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  for (const UnicodeName& n : kUnicodeNames) {
    ASSERT_EQ(RegWriteStringUtf8(key, n.Utf8, n.Utf8), ERROR_SUCCESS);
    std::string value;
    EXPECT_EQ(RegReadStringUtf8(key, n.Utf8, &value), ERROR_SUCCESS);
    EXPECT_EQ(value, n.Utf8);
  }
  const std::string longValue(5000, 'v');
  ASSERT_EQ(RegWriteStringUtf8(key, nullptr, longValue.c_str()), ERROR_SUCCESS);
  std::string value;
  EXPECT_EQ(RegReadStringUtf8(key, nullptr, &value), ERROR_SUCCESS);
  EXPECT_EQ(value, longValue);
  EXPECT_EQ(RegDeleteValueUtf8(key, kUnicodeNames[0].Utf8), ERROR_SUCCESS);
  EXPECT_EQ(RegReadStringUtf8(key, kUnicodeNames[0].Utf8, &value), ERROR_FILE_NOT_FOUND);
  ::RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyUtf8(HKEY_CURRENT_USER, sub), ERROR_SUCCESS);
}

TEST(WideCalls, ProfileFileInAUnicodeFolder) {
  ScratchFolder folder;
  const std::string ini = folder.Path() + "\\\xE6\x9D\xB1\xE4\xBA\xAC\\Corvana.ini";
  ASSERT_TRUE(CreateFolderUtf8(FolderOf(ini).c_str()));
  EXPECT_TRUE(WriteProfileStringUtf8("Corvana", "UpdateDB", "1", ini.c_str()));
  EXPECT_EQ(ReadProfileStringUtf8("Corvana", "UpdateDB", "x", ini.c_str()), "1");
  EXPECT_EQ(ReadProfileIntUtf8("Corvana", "UpdateDB", 7, ini.c_str()), 1u);
  EXPECT_EQ(ReadProfileStringUtf8("Corvana", "Missing", "dflt", ini.c_str()), "dflt");
  EXPECT_TRUE(WriteProfileStringUtf8("Corvana", "UpdateDB", nullptr, ini.c_str()));
  EXPECT_EQ(ReadProfileStringUtf8("Corvana", "UpdateDB", "gone", ini.c_str()), "gone");
}

TEST(WideCalls, ClipboardCarriesUnicodeText) {
  std::string text;
  for (const UnicodeName& n : kUnicodeNames) text += std::string(n.Utf8) + "\r\n";
  ASSERT_TRUE(SetClipboardTextUtf8(nullptr, text));
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(Utf8(static_cast<const wchar_t*>(::GlobalLock(data))), text);
  ::GlobalUnlock(data);
  ::CloseClipboard();
}

TEST(WideCalls, AnsiConversionIsExactOrRefused) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << ::GetACP();
  for (const UnicodeName& n : kUnicodeNames) {
    std::string ansi;
    EXPECT_EQ(AppendUtf8AsAnsi(n.Utf8, std::strlen(n.Utf8), &ansi, true), n.InWesternAnsi)
        << n.Utf8;
    if (n.InWesternAnsi) {
      std::string back;
      EXPECT_TRUE(AppendAnsiAsUtf8(ansi.data(), ansi.size(), &back));
      EXPECT_EQ(back, n.Utf8);
    }
  }
  std::string cafe;
  EXPECT_TRUE(AppendAnsiAsUtf8("caf\xE9", 4, &cafe));
  EXPECT_EQ(cafe, "caf\xC3\xA9");
}

TEST(WideCalls, ModulePathNamesThisProgram) {
  const std::string self = ModulePathUtf8(nullptr);
  EXPECT_NE(self.find("platform_wide_calls_test.exe"), std::string::npos) << self;
  EXPECT_NE(GetFileAttributesUtf8(self.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
