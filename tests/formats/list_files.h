// Helpers of the list-format tests: lists written to real files and read back
// through the real file interface, entry for entry.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "formats/list_detection.h"
#include "formats/list_reader.h"
#include "list_bytes.h"
#include "platform/file.h"

namespace listtest {

// Writes `bytes` to a file at `path`, created anew.
inline std::string WriteFileAt(const std::string& path, const std::string& bytes) {
  UniqueFile out(OpenFile(path.c_str(), OpenMode::CreateExclusive));
  EXPECT_TRUE(out.Valid()) << path;
  if (out && !bytes.empty()) {
    EXPECT_TRUE(WriteToFile(out.Get(), bytes.data(), static_cast<uint32_t>(bytes.size())));
  }
  return path;
}

// Writes `bytes` to a file named `leaf` in the test's temporary folder, which
// other programs share: the names carry a prefix of these tests.
inline std::string WriteTemp(const std::string& leaf, const std::string& bytes) {
  return WriteFileAt(::testing::TempDir() + "corvana_formats_" + leaf, bytes);
}

struct Entry {
  std::string Name;
  uint64_t Size;
  uint32_t Crc;
  std::string Md5;  // lower-case hex
  uint64_t ParStatus;
  DigestAlgorithm Algorithm;
  std::string Digest;  // ExpectedDigest in lower-case hex, DigestBytes(Algorithm) bytes
};

struct ListRun {
  bool IsList = false;
  ListFormat Format = ListFormat::Sfv;
  bool Invalid = false;
  int64_t Count = -1;
  std::vector<Entry> Entries;
  std::vector<std::string> Reports;
  bool Signed = false;           // read as the signed text of a clear signature
  bool MayKeepDatabase = false;  // ListMayKeepDatabase after the counting pass
};

inline void CollectReport(void* context, const char* text) {
  static_cast<std::vector<std::string>*>(context)->push_back(text);
}

inline std::string Hex(const unsigned char* bytes, int n) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += digits[bytes[i] >> 4];
    s += digits[bytes[i] & 15];
  }
  return s;
}

// The whole calling order of a run: detect, count, position, read.
inline ListRun RunList(const std::string& path, ListHost host = ListHost::Verifier) {
  ListRun run;
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  EXPECT_TRUE(file.Valid()) << path;
  if (!file) return run;
  static ListReader reader;  // large; one at a time is enough for the tests
  InitListReader(&reader, host, CollectReport, &run.Reports);
  run.IsList = DetectListFormat(&reader, path.c_str(), file.Get());
  if (!run.IsList) return run;
  run.Format = reader.Format;
  run.Count = CountListEntries(&reader, file.Get());
  run.Signed = reader.Clearsigned.Signed;
  run.MayKeepDatabase = ListMayKeepDatabase(reader);
  if (PositionListForReading(&reader, file.Get())) {
    ListEntry e;
    while (ReadListEntry(&reader, file.Get(), &e) > 0) {
      const bool md5 = UsesMd5(reader.Format) ||
                       (UsesDigest(reader.Format) && e.Algorithm == DigestAlgorithm::Md5);
      run.Entries.push_back({e.FileName, e.ExpectedSize, e.ExpectedCrc,
                             md5 ? Hex(e.ExpectedMd5, 16) : "",
                             reader.Format == ListFormat::Par ? e.ParStatus : 0, e.Algorithm,
                             Hex(e.ExpectedDigest, DigestBytes(e.Algorithm))});
    }
  }
  run.Invalid = reader.Invalid;
  return run;
}

inline ListRun RunListText(const std::string& leaf, const std::string& bytes,
                           ListHost host = ListHost::Verifier) {
  return RunList(WriteTemp(leaf, bytes), host);
}

// Name, size and CRC of each entry read, compared as a whole in the tests of
// the size-carrying formats.
struct Row {
  std::string Name;
  uint64_t Size;
  uint32_t Crc;
  bool operator==(const Row&) const = default;
  friend void PrintTo(const Row& r, std::ostream* os) {
    *os << '"' << r.Name << "\" " << std::dec << r.Size << ' ' << std::hex << r.Crc;
  }
};

inline std::vector<Row> Rows(const ListRun& run) {
  std::vector<Row> rows;
  for (const auto& e : run.Entries) rows.push_back({e.Name, e.Size, e.Crc});
  return rows;
}

}  // namespace listtest
