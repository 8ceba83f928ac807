// The real Corvana.exe with its results window under Wine and Xvfb, driven
// from outside as a person would: the window found by its class, its rows
// read from the list view, commands sent as menu and key messages, message
// boxes read and answered.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../verifier/corvana_process_win32.h"
#include "desktop_win32.h"
#include "platform/files_win32.h"
#include "tests/platform/unicode_names.h"

namespace {

std::string Hex8(uint32_t v) {
  char s[9];
  std::snprintf(s, sizeof s, "%08X", v);
  return s;
}

// A quoted path and the words after it (built by appending: GCC 12 warns
// wrongly about some chains of string additions).
std::string Quoted(const std::string& path, const char* rest = "") {
  std::string s;
  s.append(1, '"').append(path).append(1, '"').append(rest);
  return s;
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTestFolder("window");
    exe_ = InstallCorvana(root_, "[Corvana]\r\nSignature=cafe02\r\n");
  }
  void TearDown() override {
    if (process_) {
      if (::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 1);
        ::WaitForSingleObject(process_.Get(), 10000);
      }
    }
    RemoveTestFolder(root_);
  }
  std::string Path(const std::string& name) { return root_.path + name; }
  void Put(const std::string& name, const std::string& bytes) { PutFile(Path(name), bytes); }

  // a.bin and b.bin good, c.bin damaged, d.bin missing.
  void MakeList(const std::string& folder = "") {
    if (!folder.empty()) ::CreateDirectoryA(Path(folder).c_str(), nullptr);
    std::string a = "first file\n", b(70000, 'b'), c = "third file";
    Put(folder + "a.bin", a);
    Put(folder + "b.bin", b);
    Put(folder + "c.bin", c);
    std::string list = "; made by hand\r\n";
    list.append("a.bin ").append(Hex8(Crc32Of(a))).append("\r\n");
    list.append("b.bin ").append(Hex8(Crc32Of(b))).append("\r\n");
    list.append("c.bin ").append(Hex8(Crc32Of(c) ^ 1)).append("\r\n");
    list.append("d.bin 12345678\r\n");
    Put(folder + "disc.sfv", list);
  }

  // Starts Corvana with the list and waits for its window.
  void Start(const std::string& arguments) {
    process_ = StartCorvana(exe_, arguments, root_.path);
    ASSERT_TRUE(process_);
    pid_ = ::GetProcessId(process_.Get());
    // A stored placement shows the window before its list view exists.
    ASSERT_TRUE(PumpUntil(
        [this] {
          main_ = FindProcessWindow(pid_, "CRVN_MAIN");
          return main_ && (list_ = ::GetDlgItem(main_, 501)) != nullptr;
        },
        60000));
  }
  bool WaitFinished(DWORD timeoutMs = 60000) {
    return PumpUntil([this] { return WindowText(main_) == "Finished"; }, timeoutMs);
  }
  // A newer window than the current one, after a command started another run.
  bool WaitNewWindow() {
    HWND old = main_;
    bool ok = PumpUntil(
        [&] {
          HWND w = FindProcessWindow(pid_, "CRVN_MAIN");
          if (!w || w == old || !::GetDlgItem(w, 501)) return false;
          main_ = w;
          list_ = ::GetDlgItem(w, 501);
          return true;
        },
        60000);
    return ok;
  }
  std::vector<ListRow> Rows() {
    ListViewReader reader(list_, process_.Get());
    return reader.Rows();
  }
  void Command(int id) { ::SendMessageA(main_, WM_COMMAND, id, 0); }
  // The boxes a command shows, each read and answered as it appears.
  std::vector<SeenBox> BoxesOf(int id, int answer = IDOK) {
    BoxWatcher boxes(pid_, answer);
    Command(id);
    return boxes.Seen();
  }
  bool Ended(DWORD timeoutMs = 30000) {
    return ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
  }

  TestFolder root_;
  std::string exe_;
  UniqueKernelHandle process_;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(Window, ShowsTheLinesAnOutputFileWouldHold) {
  MakeList("out\\");
  MakeList("win\\");
  ASSERT_EQ(RunCorvana(exe_, Quoted(Path("out\\disc.sfv"), " NODBUPDATE OUTPUT:r.txt"), root_.path),
            0u);
  std::vector<std::string> lines = Lines(GetFile(Path("out\\r.txt")));
  ASSERT_GE(lines.size(), 6u);

  Start(Quoted(Path("win\\disc.sfv"), " NODBUPDATE"));
  ASSERT_TRUE(WaitFinished());
  std::vector<ListRow> rows = Rows();
  ASSERT_EQ(rows.size(), lines.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const ListRow& r = rows[i];
    const std::string& line = lines[i];
    SCOPED_TRACE(line);
    // Each cell is a piece of the line, in order.
    EXPECT_EQ(line.compare(0, r.name.size(), r.name), 0);
    size_t crc = line.find(r.crc, r.name.size());
    ASSERT_NE(crc, std::string::npos);
    EXPECT_EQ(line.compare(line.size() - r.status.size(), r.status.size(), r.status), 0);
  }
  EXPECT_EQ(rows[0].name, "Corvana v2.33");
  EXPECT_EQ(rows[0].image, 3);
  EXPECT_EQ(rows[1].name, "a.bin");
  EXPECT_EQ(rows[1].status, "OK");
  EXPECT_EQ(rows[1].image, 1);
  EXPECT_EQ(rows[3].name, "c.bin");
  EXPECT_EQ(rows[3].image, 2);
  EXPECT_EQ(rows[4].name, "d.bin");
  EXPECT_EQ(rows[4].crc, "");
  EXPECT_EQ(rows[4].image, 2);
  EXPECT_EQ(::IsWindowVisible(main_), TRUE);

  // Closing the finished window ends the program normally.
  ::PostMessageA(main_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended());
  DWORD code = 1;
  ::GetExitCodeProcess(process_.Get(), &code);
  EXPECT_EQ(code, 0u);
  char stored[128] = {};
  ::GetPrivateProfileStringA("Corvana", "LVWindowInfo", "", stored, sizeof stored,
                             Path("Corvana.ini").c_str());
  EXPECT_STREQ(stored, "AwAAAHIAAAByAAAApQAAAA==");
}

TEST_F(Window, EscapeDuringALargeFileEndsTheRunAtOnce) {
  // Hashing 16 GB of MD5 takes far longer than the wait below allows.
  ASSERT_TRUE(MakeSparseFile(Path("big.bin"), 16000000000ll));
  Put("big.md5", std::string(32, '0').append(" *big.bin\r\n"));
  Start(Quoted(Path("big.md5")));
  ASSERT_TRUE(PumpUntil([this] { return WindowText(main_) == "Checking big.bin..."; }, 60000));
  ::Sleep(200);
  DWORD pressed = ::GetTickCount();
  ::PostMessageA(list_, WM_CHAR, 27, 0);
  ASSERT_TRUE(Ended(15000)) << "the run waited for the file";
  // The hashing stops within one block and the program ends: about two
  // seconds under Wine, where even 1.5 GB/s of MD5 would need ten for the
  // whole file.
  DWORD took = ::GetTickCount() - pressed;
  EXPECT_LT(took, 6000u) << "ms from Escape to the end of the process";
  char stored[128] = {};
  ::GetPrivateProfileStringA("Corvana", "WindowInfo", "", stored, sizeof stored,
                             Path("Corvana.ini").c_str());
  EXPECT_EQ(std::string(stored).size(), 60u);
  ::DeleteFileA(Path("big.bin").c_str());
}

TEST_F(Window, CheckAllFilesVerifiesAgainIgnoringTheDatabase) {
  MakeList();
  // The first run stores the database: the window then shows the good
  // files as previously verified.
  ASSERT_EQ(RunCorvana(exe_, Quoted(Path("disc.sfv"), " OUTPUT:first.txt"), root_.path), 0u);
  Start(Quoted(Path("disc.sfv")));
  ASSERT_TRUE(WaitFinished());
  std::vector<ListRow> rows = Rows();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[1].status, "OK (Previously verified)");

  Command(707);
  ASSERT_TRUE(WaitNewWindow());
  ASSERT_TRUE(WaitFinished());
  rows = Rows();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[1].name, "a.bin");
  EXPECT_EQ(rows[1].status, "OK");
  EXPECT_EQ(rows[2].status, "OK");
  ::PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Ended());
}

TEST_F(Window, MarkBadThenDeleteMarkedRemovesExactlyTheBadFiles) {
  MakeList();
  Put("e.bin", "not in the list");
  Start(Quoted(Path("disc.sfv")));
  ASSERT_TRUE(WaitFinished());
  Command(701);
  ListViewReader reader(list_, process_.Get());
  std::vector<int> marked = reader.Selected();
  ASSERT_EQ(marked.size(), 2u);
  EXPECT_EQ(reader.Row(marked[0]).name, "c.bin");
  EXPECT_EQ(reader.Row(marked[1]).name, "d.bin");
  // d.bin is missing: only c.bin is asked for, and "No" keeps it.
  std::vector<SeenBox> seen = BoxesOf(704, IDNO);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Move 1 file(s) to the Recycle Bin?");
  EXPECT_TRUE(seen[0].owned);
  EXPECT_TRUE(FileThere(Path("c.bin")));
  seen = BoxesOf(704, IDYES);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_FALSE(FileThere(Path("c.bin")));
  EXPECT_TRUE(FileThere(Path("a.bin")));
  EXPECT_TRUE(FileThere(Path("b.bin")));
  EXPECT_TRUE(FileThere(Path("e.bin")));
  EXPECT_TRUE(FileThere(Path("disc.sfv")));
  EXPECT_EQ(reader.Count(), static_cast<int>(Rows().size()));

  // Clearing the database cuts the list before its database lines.
  EXPECT_NE(GetFile(Path("disc.sfv")).find(";Q2-"), std::string::npos);
  Command(703);
  EXPECT_EQ(GetFile(Path("disc.sfv")).find(";Q2-"), std::string::npos);
  EXPECT_EQ(GetFile(Path("disc.sfv")).find("; made by hand\r\na.bin "), 0u);
}

TEST_F(Window, MoveAllFilesToChildDirectory) {
  MakeList();
  ::CreateDirectoryA(Path("disc").c_str(), nullptr);
  Start("disc.sfv");  // a bare name: the child folder goes in the current folder
  ASSERT_TRUE(WaitFinished());
  std::vector<SeenBox> seen = BoxesOf(706);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Could not create directory");
  EXPECT_EQ(seen[0].caption, "Error");
  EXPECT_TRUE(seen[0].anyIcon);  // which one is checked in process
  EXPECT_TRUE(seen[0].owned);
  ::RemoveDirectoryA(Path("disc").c_str());
  seen = BoxesOf(706);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "All good files successfully moved");
  EXPECT_EQ(seen[0].caption, "Completed");
  EXPECT_FALSE(seen[0].anyIcon);
  EXPECT_TRUE(FileThere(Path("disc\\a.bin")));
  EXPECT_TRUE(FileThere(Path("disc\\b.bin")));
  EXPECT_TRUE(FileThere(Path("disc\\disc.sfv")));
  EXPECT_TRUE(FileThere(Path("c.bin")));
  EXPECT_FALSE(FileThere(Path("disc.sfv")));
  seen = BoxesOf(703);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Could not update DB");
  EXPECT_EQ(seen[0].caption, "Notice");
}

// A digest tool's list, known by its lines whatever its name: the row shows
// the whole digest, and "C&lear All DB Info" says the list is not changed
// and leaves its bytes alone.
TEST_F(Window, DigestListShowsWholeDigestsAndIsNeverCleared) {
  const std::string sha512 =
      "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
      "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f";  // of "abc"
  Put("abc.bin", "abc");
  std::string list = "SHA512 (abc.bin) = ";
  list += sha512;
  list += "\n";
  Put("checks.txt", list);
  Start(Quoted(Path("checks.txt")));
  ASSERT_TRUE(WaitFinished());
  std::vector<ListRow> rows = Rows();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[1].name, "abc.bin");
  std::string upper = sha512;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(rows[1].crc, upper);
  EXPECT_EQ(rows[1].status, "OK");
  std::vector<SeenBox> seen = BoxesOf(703);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "This list is never written to: it is not changed");
  EXPECT_EQ(seen[0].caption, "Notice");
  EXPECT_EQ(GetFile(Path("checks.txt")), list);
  ::PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Ended());
  EXPECT_EQ(GetFile(Path("checks.txt")), list);
}

// Lists named as SFV lists that the run would never write a database into:
// a clearsigned one (its signed text read, an information row said) and one
// of lines no reader takes. "C&lear All DB Info" says the list is not
// changed, and neither the run nor the command changes a byte.
TEST_F(Window, SignedListIsNeverWrittenTo) {
  Put("abc.bin", "abc");
  const std::string list =
      "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n\r\nabc.bin 352441C2\r\n"
      "-----BEGIN PGP SIGNATURE-----\r\n\r\niQEzBAEBCAAd\r\n-----END PGP SIGNATURE-----\r\n";
  Put("signed.sfv", list);
  Start(Quoted(Path("signed.sfv")));
  ASSERT_TRUE(WaitFinished());
  std::vector<ListRow> rows = Rows();
  bool said = false, ok = false;
  for (const ListRow& r : rows) {
    said = said || r.name == "The list is signed; its signature is not checked here";
    ok = ok || (r.name == "abc.bin" && r.status == "OK");
  }
  EXPECT_TRUE(said);
  EXPECT_TRUE(ok);
  std::vector<SeenBox> seen = BoxesOf(703);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "This list is never written to: it is not changed");
  ::PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Ended());
  EXPECT_EQ(GetFile(Path("signed.sfv")), list);
}

TEST_F(Window, UnreadableListIsNeverWrittenTo) {
  Put("abc.bin", "abc");
  const std::string list = "SHA3-256 (abc.bin) = " + std::string(64, '0') + "\n";
  Put("unreadable.txt", list);
  Start(Quoted(Path("unreadable.txt")));
  ASSERT_TRUE(WaitFinished());
  std::vector<SeenBox> seen = BoxesOf(703);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "This list is never written to: it is not changed");
  ::PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Ended());
  EXPECT_EQ(GetFile(Path("unreadable.txt")), list);
}

// A UTF-8 list of the shared names, as the peers on other systems write it:
// every name shows as it is, whatever the run made of its file, and
// "&Delete Marked files" removes exactly those files.
TEST_F(Window, UnicodeNamesShowAsTheyAreAndDeleteMarkedTakesThem) {
  std::string list;
  for (const UnicodeName& n : kUnicodeNames) {
    std::string body = std::string("the file ").append(n.Utf8);
    HANDLE f = CreateFileUtf8(Path(n.Utf8).c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(f, body.data(), static_cast<DWORD>(body.size()), &written, nullptr));
    ::CloseHandle(f);
    list.append(n.Utf8).append(" ").append(Hex8(Crc32Of(body))).append("\r\n");
  }
  Put("names.sfv", list);
  Start(Quoted(Path("names.sfv"), " NODBUPDATE"));
  ASSERT_TRUE(WaitFinished());
  ListViewReader reader(list_, process_.Get());
  std::vector<ListRow> rows = reader.Rows();
  const size_t count = sizeof kUnicodeNames / sizeof kUnicodeNames[0];
  ASSERT_GT(rows.size(), count);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(rows[i + 1].wideName, SystemWide(kUnicodeNames[i].Utf8)) << kUnicodeNames[i].Utf8;
    reader.Select(static_cast<int>(i + 1), true);
  }
  // The name that ends in a dot has no plain form that reaches it, which a
  // Recycle Bin needs: the question says it goes for good.
  std::vector<SeenBox> seen = BoxesOf(704, IDYES);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Move " + std::to_string(count - 1) +
                              " file(s) to the Recycle Bin?\r\n\r\n1 file(s) cannot go to a "
                              "Recycle Bin and will be deleted for good:\r\n" +
                              Path("ends with a dot."));
  for (const UnicodeName& n : kUnicodeNames) {
    EXPECT_EQ(GetFileAttributesUtf8(Path(n.Utf8).c_str()), INVALID_FILE_ATTRIBUTES) << n.Utf8;
  }
  EXPECT_TRUE(FileThere(Path("names.sfv")));
}

TEST_F(Window, OpenStopsTheRunAndShowsTheOpenDialog) {
  MakeList();
  Start(Quoted(Path("disc.sfv")));
  ASSERT_TRUE(WaitFinished());
  Command(40001);
  HWND dialog = nullptr;
  ASSERT_TRUE(
      PumpUntil([&] { return (dialog = FindProcessWindow(pid_, "#32770")) != nullptr; }, 60000));
  EXPECT_EQ(FindProcessWindow(pid_, "CRVN_MAIN"), nullptr);
  ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Ended());
  DWORD code = 1;
  ::GetExitCodeProcess(process_.Get(), &code);
  EXPECT_EQ(code, 0u);
}

}  // namespace
