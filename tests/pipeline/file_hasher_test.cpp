// The engine that hashes many files, several at once, on real files under
// Wine: list order and digests with files side by side against one file at
// a time and the primitives, the usual outcome of each failure among files
// being hashed at once, cancelling in the middle, the window's bound, and
// what the storage says of its seek penalty.
#include "hashing/file_hasher_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/digest.h"
#include "hashing/files_at_once_win32.h"
#include "hashing/md5.h"
#include "hashing/seek_penalty_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "tests/pipeline/test_folder_win32.h"
#include "tests/platform/unicode_names.h"

namespace {

constexpr DWORD kResultTimeoutMs = 120000;

std::string Hex(const unsigned char* bytes, int count) {
  std::string text;
  char pair[3];
  for (int i = 0; i < count; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

// What the primitives give for a file's bytes, printed as a list prints it.
std::string DigestOf(DigestAlgorithm algorithm, const std::vector<unsigned char>& bytes) {
  if (algorithm == DigestAlgorithm::Crc32) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x",
                  ~UpdateCRC32(0xFFFFFFFF, bytes.data(), static_cast<uint32_t>(bytes.size())));
    return text;
  }
  if (algorithm != DigestAlgorithm::Md5) {
    DigestContext context;
    DigestInit(&context, algorithm);
    DigestUpdate(&context, bytes.data(), bytes.size());
    unsigned char digest[kMaxDigestBytes];
    DigestFinal(&context, digest);
    return Hex(digest, DigestBytes(algorithm));
  }
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  unsigned char digest[16];
  MD5Final(digest, &context);
  return Hex(digest, 16);
}

// One result as the tests compare it.
struct Row {
  uint32_t Sequence;
  uint64_t Tag;
  FileRequestKind Kind;
  uint32_t Status;
  uint64_t Size;
  std::string Digest;  // Hashed only
  bool operator==(const Row&) const = default;
};

Row RowOf(const FileResult& r) {
  Row row{r.Sequence, r.Tag, r.Kind, r.Status, r.Size, std::string()};
  if (r.Kind == FileRequestKind::Hash && r.Status == Hashed)
    row.Digest = Hex(r.Digest.Bytes, DigestBytes(r.Digest.Algorithm));
  return row;
}

// A list entry of a test: the request, and the digest or status it must get.
struct Entry {
  std::string Path;
  DigestAlgorithm Algorithm = DigestAlgorithm::Crc32;
  uint64_t ExpectedSize = kNoLengthCheck;
  FileRequestKind Kind = FileRequestKind::Hash;
  uint32_t Status = Hashed;
  std::string Digest;
  bool ResolveMissing = true;
};

// The list through a hasher, submitted as far ahead as the window allows and
// taken in order as a caller would; the rows in the order they were taken.
std::vector<Row> RunList(const std::vector<Entry>& list, const FileHasherOptions& options) {
  std::vector<Row> rows;
  FileHasher* hasher = CreateFileHasher(options);
  EXPECT_NE(hasher, nullptr);
  if (!hasher) return rows;
  EXPECT_EQ(FileHasherWorkers(hasher), options.Workers);
  size_t next = 0;
  FileResult result;
  while (rows.size() < list.size()) {
    if (next < list.size()) {
      FileRequest request;
      request.Path = list[next].Path.c_str();
      request.ExpectedSize = list[next].ExpectedSize;
      request.Algorithm = list[next].Algorithm;
      request.Kind = list[next].Kind;
      request.ResolveMissing = list[next].ResolveMissing;
      request.Tag = 1000 + next;
      uint32_t sequence = ~0u;
      SubmitOutcome submitted = SubmitFile(hasher, request, &sequence);
      if (submitted == SubmitOutcome::Accepted) {
        EXPECT_EQ(sequence, next);
        ++next;
        continue;
      }
      EXPECT_EQ(submitted, SubmitOutcome::WindowFull);
      EXPECT_EQ(FilesInFlight(hasher), kFileHasherWindow);
    }
    TakeOutcome taken = WaitFileResult(hasher, &result, kResultTimeoutMs);
    EXPECT_EQ(taken, TakeOutcome::Ready);
    if (taken != TakeOutcome::Ready) break;
    rows.push_back(RowOf(result));
  }
  EXPECT_EQ(TakeFileResult(hasher, &result), TakeOutcome::Empty);
  EXPECT_EQ(OldestFileProgress(hasher), -1);
  DestroyFileHasher(hasher);
  return rows;
}

// Every row in list order with the outcome the entry must get.
void ExpectOutcomes(const std::vector<Entry>& list, const std::vector<Row>& rows) {
  ASSERT_EQ(rows.size(), list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(list[i].Path);
    EXPECT_EQ(rows[i].Sequence, i);
    EXPECT_EQ(rows[i].Tag, 1000 + i);
    EXPECT_EQ(rows[i].Kind, list[i].Kind);
    if (list[i].Kind == FileRequestKind::PassThrough) continue;
    EXPECT_EQ(rows[i].Status, list[i].Status);
    EXPECT_EQ(rows[i].Digest, list[i].Digest);
  }
}

// A file of pattern bytes, entered in the list with its digest.
Entry MakeFile(const std::string& name, size_t size, uint32_t seed, DigestAlgorithm algorithm) {
  std::vector<unsigned char> bytes = PatternBytes(size, seed);
  EXPECT_TRUE(WriteBytes(name.c_str(), bytes)) << name;
  Entry entry;
  entry.Path = name;
  entry.Algorithm = algorithm;
  entry.ExpectedSize = seed % 3 == 0 ? kNoLengthCheck : size;
  entry.Digest = DigestOf(algorithm, bytes);
  return entry;
}

DigestAlgorithm Alternate(size_t i) {
  return i % 2 ? DigestAlgorithm::Md5 : DigestAlgorithm::Crc32;
}

class FileHasherTest : public ::testing::TestWithParam<SemaphoreSleep> {
 protected:
  FileHasherOptions Options(uint32_t workers, bool shell = false) const {
    FileHasherOptions options;
    options.Workers = workers;
    options.ShellVariant = shell;
    options.Sleep = GetParam();
    return options;
  }
  TestFolder folder_;
};

TEST_P(FileHasherTest, SideBySideGivesListOrderAndTheDigestsOfOneAtATime) {
  // A thousand small files, the large ones at the head (every other file
  // finishes before it), in the middle and at the end, and entries that only
  // keep their place.
  std::vector<Entry> list;
  const size_t kLarge[] = {0, 300, 301, 700, 1003};
  const size_t kLargeSizes[] = {3 * kFileHasherBlockBytes + 17, kFileHasherBlockBytes + 1,
                                2 * kFileHasherBlockBytes, 5 * kFileHasherBlockBytes - 1,
                                4 * kFileHasherBlockBytes};
  size_t large = 0;
  char name[32];
  for (size_t i = 0; list.size() < 1005; ++i) {
    if (large < 5 && i == kLarge[large]) {
      std::snprintf(name, sizeof name, "large%zu.bin", large);
      list.push_back(
          MakeFile(name, kLargeSizes[large], static_cast<uint32_t>(7000 + large), Alternate(i)));
      ++large;
    } else if (i % 97 == 50) {
      Entry skip;
      skip.Kind = FileRequestKind::PassThrough;
      list.push_back(skip);
    } else {
      // Sizes from empty to one block exactly, most of them a few KiB.
      size_t size = i % 250 == 7 ? kFileHasherBlockBytes : (i * 37) % 9000;
      std::snprintf(name, sizeof name, "s%04zu.dat", i);
      list.push_back(MakeFile(name, size, static_cast<uint32_t>(i), Alternate(i)));
    }
  }
  const std::vector<Row> one = RunList(list, Options(1));
  ExpectOutcomes(list, one);
  for (uint32_t workers : {2u, 4u}) {
    SCOPED_TRACE(workers);
    const std::vector<Row> side = RunList(list, Options(workers));
    ExpectOutcomes(list, side);
    EXPECT_TRUE(side == one);
  }
}

// Large BLAKE3 files with their blocks split between the worker and the
// helper: sizes around the block, whole blocks, a last block of one byte,
// small files and other algorithms between them, one and two files at once.
TEST_P(FileHasherTest, Blake3BlocksSplitWithTheHelperGiveTheDigestOfOneThread) {
  const size_t kSizes[] = {kFileHasherBlockBytes + 1,
                           2 * kFileHasherBlockBytes,
                           5 * kFileHasherBlockBytes - 1,
                           7 * kFileHasherBlockBytes + 1000,
                           3 * kFileHasherBlockBytes,
                           4000,
                           0};
  std::vector<Entry> list;
  char name[32];
  for (size_t i = 0; i < 2 * std::size(kSizes); ++i) {
    std::snprintf(name, sizeof name, "b3-%zu.bin", i);
    const DigestAlgorithm algorithm =
        i % 4 == 3 ? DigestAlgorithm::Sha256 : DigestAlgorithm::Blake3;
    list.push_back(
        MakeFile(name, kSizes[i % std::size(kSizes)], static_cast<uint32_t>(900 + i), algorithm));
  }
  for (uint32_t workers : {1u, 2u}) {
    SCOPED_TRACE(workers);
    FileHasherOptions options = Options(workers);
    options.SplitBlake3Blocks = true;
    ExpectOutcomes(list, RunList(list, options));
  }
}

TEST_P(FileHasherTest, EachFailureAmongFilesHashedAtOnceGetsItsUsualOutcome) {
  ASSERT_TRUE(WriteBytes("my_file.txt", PatternBytes(70000, 1)));
  ASSERT_TRUE(WriteBytes("a1.txt", {'1'}));
  ASSERT_TRUE(WriteBytes("a-b.txt", {'2'}));
  ASSERT_TRUE(MakeFolder("only_dir"));
  ASSERT_TRUE(WriteBytes("locked.bin", PatternBytes(5000, 2)));
  // Held open without sharing for the whole test: it cannot be opened again.
  UniqueFileHandle lock(CreateFileA("locked.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  const std::vector<unsigned char> unicodeBytes = PatternBytes(12345, 3);
  const char* unicodeName = kUnicodeNames[4].Utf8;
  {
    UniqueFileHandle file(
        CreateFileUtf8(unicodeName, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(file);
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(file.Get(), unicodeBytes.data(), 12345, &wrote, nullptr));
  }
  for (bool shell : {false, true}) {
    SCOPED_TRACE(shell ? "shell rules" : "verifier rules");
    std::vector<Entry> list;
    auto failing = [&](const char* path, uint32_t status, uint64_t size = kNoLengthCheck) {
      Entry entry;
      entry.Path = path;
      entry.Status = status;
      entry.ExpectedSize = size;
      list.push_back(entry);
    };
    char name[32];
    for (size_t i = 0; i < 240; ++i) {
      std::snprintf(name, sizeof name, "f%03zu.bin", i);
      list.push_back(MakeFile(name, 3000 + i, static_cast<uint32_t>(i), Alternate(i)));
      switch (i % 40) {
        case 3:
          failing("locked.bin", ReadError);
          break;
        case 7:
          failing("only_dir", ReadError);
          break;
        case 11:
          failing("gone.bin", FileMissing);
          break;
        case 15:
          failing("nosub\\x.bin", shell ? ReadError : FileMissing);
          break;
        case 19:
          failing("a.txt", Unresolved);
          break;
        case 23:
          failing(name, LengthMismatch, 3000 + i + 1);
          break;
        case 27: {
          Entry resolved = MakeFile("my_file.txt", 70000, 1, DigestAlgorithm::Md5);
          resolved.Path = "my file.txt";
          list.push_back(resolved);
          break;
        }
        case 35: {
          // A digest list's names: a look-alike or several never stand in
          // for a missing name.
          failing("my file.txt", FileMissing);
          list.back().ResolveMissing = false;
          failing("a.txt", FileMissing);
          list.back().ResolveMissing = false;
          failing("nosub\\x.bin", FileMissing);
          list.back().ResolveMissing = false;
          break;
        }
        case 31: {
          Entry unicode;
          unicode.Path = unicodeName;
          unicode.Algorithm = DigestAlgorithm::Md5;
          unicode.Digest = DigestOf(DigestAlgorithm::Md5, unicodeBytes);
          list.push_back(unicode);
          break;
        }
        default:
          break;
      }
    }
    ExpectOutcomes(list, RunList(list, Options(2, shell)));
    ExpectOutcomes(list, RunList(list, Options(1, shell)));
  }
}

TEST_P(FileHasherTest, CancelStopsEveryFileAndDeliversNothingMore) {
  // Large files that take seconds each, side by side, with small ones between.
  const uint64_t kBig = 2ull << 30;
  std::vector<Entry> list;
  list.push_back(MakeFile("first.bin", 100, 1, DigestAlgorithm::Crc32));
  for (int i = 0; i < 4; ++i) {
    std::string name = "big" + std::to_string(i) + ".bin";
    ASSERT_TRUE(MakeSparseFile(name, kBig));
    Entry big;
    big.Path = name;
    big.Algorithm = Alternate(i);
    list.push_back(big);
    list.push_back(MakeFile("after" + std::to_string(i), 4096, 10 + i, Alternate(i)));
  }
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    FileHasher* hasher = CreateFileHasher(Options(2));
    ASSERT_NE(hasher, nullptr);
    for (size_t i = 0; i < list.size(); ++i) {
      FileRequest request;
      request.Path = list[i].Path.c_str();
      request.Algorithm = list[i].Algorithm;
      ASSERT_EQ(SubmitFile(hasher, request), SubmitOutcome::Accepted);
    }
    FileResult result;
    ASSERT_EQ(WaitFileResult(hasher, &result, kResultTimeoutMs), TakeOutcome::Ready);
    EXPECT_EQ(RowOf(result).Digest, list[0].Digest);
    // The oldest file is now a large one; it gets under way.
    for (int i = 0; i < 20000 && OldestFileProgress(hasher) < 1; ++i) Sleep(1);
    ASSERT_GE(OldestFileProgress(hasher), 1);
    ASSERT_LT(OldestFileProgress(hasher), 100);
    if (round == 0) {
      // From another thread while the owner waits for the large file.
      std::thread canceller([hasher] {
        Sleep(50);
        CancelFileHasher(hasher);
      });
      EXPECT_EQ(WaitFileResult(hasher, &result, INFINITE), TakeOutcome::Cancelled);
      canceller.join();
    } else {
      CancelFileHasher(hasher);
      CancelFileHasher(hasher);
    }
    // The small files after the large ones may be finished: none is delivered.
    EXPECT_EQ(TakeFileResult(hasher, &result), TakeOutcome::Cancelled);
    FileRequest more;
    more.Path = list[0].Path.c_str();
    EXPECT_EQ(SubmitFile(hasher, more), SubmitOutcome::Refused);
    DestroyFileHasher(hasher);
    // Every file was closed: none is held open any more.
    for (const Entry& entry : list) {
      UniqueFileHandle exclusive(CreateFileA(entry.Path.c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      EXPECT_TRUE(exclusive) << entry.Path;
    }
  }
}

TEST_P(FileHasherTest, WindowBoundMemoryBoundAndRefusals) {
  ASSERT_TRUE(WriteBytes("one.bin", {'1'}));
  FileHasher* hasher = CreateFileHasher(Options(3));
  ASSERT_NE(hasher, nullptr);
  FileResult result;
  EXPECT_EQ(TakeFileResult(hasher, &result), TakeOutcome::Empty);
  EXPECT_LE(FileHasherMemoryBytes(hasher),
            3 * kFileHasherRingSlots * kFileHasherBlockBytes + (64u << 10));
  FileRequest unknown;
  unknown.Path = "one.bin";
  unknown.Algorithm = static_cast<DigestAlgorithm>(99);  // no such algorithm
  EXPECT_EQ(SubmitFile(hasher, unknown), SubmitOutcome::Refused);
  FileRequest nameless;
  EXPECT_EQ(SubmitFile(hasher, nameless), SubmitOutcome::Refused);
  FileRequest request;
  request.Path = "one.bin";
  for (uint32_t i = 0; i < kFileHasherWindow; ++i) {
    request.Kind = i % 2 ? FileRequestKind::PassThrough : FileRequestKind::Hash;
    ASSERT_EQ(SubmitFile(hasher, request), SubmitOutcome::Accepted);
  }
  EXPECT_EQ(SubmitFile(hasher, request), SubmitOutcome::WindowFull);
  EXPECT_EQ(FilesInFlight(hasher), kFileHasherWindow);
  // One taken makes room for one; the sequence goes on from the window's end.
  ASSERT_EQ(WaitFileResult(hasher, &result, kResultTimeoutMs), TakeOutcome::Ready);
  EXPECT_EQ(result.Sequence, 0u);
  EXPECT_EQ(result.Status, Hashed);
  EXPECT_EQ(result.Size, 1u);
  uint32_t sequence = 0;
  EXPECT_EQ(SubmitFile(hasher, request, &sequence), SubmitOutcome::Accepted);
  EXPECT_EQ(sequence, kFileHasherWindow);
  EXPECT_EQ(SubmitFile(hasher, request), SubmitOutcome::WindowFull);
  DestroyFileHasher(hasher);
}

INSTANTIATE_TEST_SUITE_P(Sleeps, FileHasherTest,
                         ::testing::Values(SemaphoreSleep::AddressWait,
                                           SemaphoreSleep::KernelSemaphore),
                         [](const ::testing::TestParamInfo<SemaphoreSleep>& param) {
                           return param.param == SemaphoreSleep::AddressWait ? "AddressWait"
                                                                             : "KernelSemaphore";
                         });

TEST(SeekPenaltyTest, AnswersOrSaysUnknown) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  SeekPenaltyTrace trace;
  SeekPenalty answer = QuerySeekPenalty(temp, &trace);
  // What this platform answers, for the record.
  std::printf("seek penalty of %s: %d (step %d, error %lu, disk %lu)\n", temp,
              static_cast<int>(answer), static_cast<int>(trace.Step),
              static_cast<unsigned long>(trace.Error),
              static_cast<unsigned long>(trace.DiskNumber));
  EXPECT_EQ(answer != SeekPenalty::Unknown, trace.Step == SeekPenaltyStep::Answered);
  // A drive that does not exist cannot be asked.
  EXPECT_EQ(QuerySeekPenalty("Q:\\nowhere\\file.bin", &trace), SeekPenalty::Unknown);
  EXPECT_NE(trace.Step, SeekPenaltyStep::Answered);
}

// The one decision of the verifier and the shell extension: what the storage
// answers matters only when the setting leaves it the decision.
TEST(HasherOptionsForTest, SettingStorageAndProcessors) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const uint32_t processors = info.dwNumberOfProcessors ? info.dwNumberOfProcessors : 1;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const uint32_t byStorage = FilesAtOnce(QuerySeekPenalty(temp), 0, processors);
  const struct {
    const char* Path;
    uint32_t Setting;
    uint32_t Workers;
  } kCases[] = {
      {temp, 0, byStorage},
      {"", 0, FilesAtOnce(QuerySeekPenalty("."), 0, processors)},  // the current folder
      {"Q:\\nowhere\\file.bin", 0, 1},  // a drive that cannot be asked: one at a time
      {"Q:\\nowhere\\file.bin", 3, 3},  // the setting decides without asking
      {temp, 1, 1},
      {temp, 40, kMaxFilesAtOnce},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.Path) + " Threads=" + std::to_string(c.Setting));
    const FileHasherOptions options = HasherOptionsFor(c.Path, c.Setting);
    EXPECT_EQ(options.Workers, c.Workers);
    EXPECT_EQ(options.SplitBlake3Blocks, processors >= 2);
    EXPECT_FALSE(options.ShellVariant);
  }
}

}  // namespace
