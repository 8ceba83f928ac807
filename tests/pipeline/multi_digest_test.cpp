// Every digest of a file from one read: the same digests as each algorithm
// fed the whole file alone, with and without digest threads, across block
// and ring boundaries; failures and cancelling.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "hashing/digest_names.h"
#include "hashing/multi_digest_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "tests/pipeline/test_files_win32.h"

namespace {

std::string Bytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 23);
  return bytes;
}

void Put(const std::string& path, const std::string& bytes) {
  UniqueFileHandle file(CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0));
  DWORD written = 0;
  WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DigestValue Alone(DigestAlgorithm algorithm, const std::string& bytes) {
  FileDigest digest;
  BeginFileDigest(&digest, algorithm);
  FeedFileDigest(&digest, bytes.data(), static_cast<uint32_t>(bytes.size()));
  DigestValue value;
  FinishFileDigest(&digest, &value);
  return value;
}

class MultiDigestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { folder_ = new std::string(MakeTempFolder("multidigest")); }
  static void TearDownTestSuite() {
    RemoveTree(*folder_);
    delete folder_;
  }
  static std::string* folder_;
};
std::string* MultiDigestTest::folder_ = nullptr;

TEST_F(MultiDigestTest, OneReadGivesEachDigestAsTheAlgorithmAlone) {
  constexpr size_t kBlock = kMultiDigestBlockBytes;
  const size_t sizes[] = {
      0, 1, kBlock - 1, kBlock, kBlock + 1, 3 * kBlock, kMultiDigestSlots * kBlock + 3};
  // Every algorithm in the table's order, and a few in another order.
  const DigestAlgorithm some[] = {DigestAlgorithm::Blake3, DigestAlgorithm::Crc32,
                                  DigestAlgorithm::Sha512};
  for (bool threads : {false, true}) {
    MultiDigestHasher* hasher = CreateMultiDigestHasher(threads);
    ASSERT_TRUE(hasher);
    for (size_t size : sizes) {
      const std::string bytes = Bytes(size);
      const std::string path = *folder_ + "f" + std::to_string(size);
      Put(path, bytes);
      for (bool all : {true, false}) {
        const DigestAlgorithm* algorithms = all ? kDigestAlgorithmsInOrder : some;
        const int count = all ? static_cast<int>(kDigestAlgorithmCount) : 3;
        DigestValue out[kMaxMultiDigests];
        DWORD error = 1;
        std::atomic<uint64_t> progress{0};
        ASSERT_EQ(HashAllDigests(hasher, path.c_str(), algorithms, count, out, &error, &progress),
                  MultiDigestOutcome::Hashed)
            << size;
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(progress.load(), size) << size;
        for (int i = 0; i < count; ++i) {
          const DigestValue expected = Alone(algorithms[i], bytes);
          EXPECT_EQ(out[i].Algorithm, algorithms[i]);
          EXPECT_EQ(std::memcmp(out[i].Bytes, expected.Bytes, kMaxDigestBytes), 0)
              << DigestDisplayName(algorithms[i]) << " of " << size << " bytes, threads "
              << threads;
          EXPECT_EQ(out[i].Crc, expected.Crc);
        }
      }
      DeleteFileUtf8(path.c_str());
    }
    DestroyMultiDigestHasher(hasher);
  }
}

TEST_F(MultiDigestTest, AFileThatCannotBeOpenedGivesTheSystemsReason) {
  const std::string held = *folder_ + "held";
  Put(held, "abc");
  UniqueFileHandle lock(CreateFileUtf8(held.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0));
  ASSERT_TRUE(lock);
  struct Case {
    std::string path;
    DWORD error;
  } cases[] = {{*folder_ + "missing", ERROR_FILE_NOT_FOUND}, {held, ERROR_SHARING_VIOLATION}};
  for (bool threads : {false, true}) {
    MultiDigestHasher* hasher = CreateMultiDigestHasher(threads);
    ASSERT_TRUE(hasher);
    for (const Case& c : cases) {
      DigestValue out[kMaxMultiDigests];
      DWORD error = 0;
      EXPECT_EQ(
          HashAllDigests(hasher, c.path.c_str(), kDigestAlgorithmsInOrder, 6, out, &error, nullptr),
          MultiDigestOutcome::ReadError);
      EXPECT_EQ(error, c.error) << c.path;
    }
    DestroyMultiDigestHasher(hasher);
  }
}

TEST_F(MultiDigestTest, CancellingStopsALargeFileAtOnce) {
  const std::string large = *folder_ + "large";
  ASSERT_TRUE(MakeSparseFile(large, 16ull << 30));
  for (bool threads : {false, true}) {
    MultiDigestHasher* hasher = CreateMultiDigestHasher(threads);
    ASSERT_TRUE(hasher);
    std::atomic<uint64_t> progress{0};
    std::thread canceller([&] {
      while (progress.load() < (8u << 20)) std::this_thread::yield();
      CancelMultiDigestHasher(hasher);
    });
    DigestValue out[kMaxMultiDigests];
    DWORD error = 0;
    EXPECT_EQ(
        HashAllDigests(hasher, large.c_str(), kDigestAlgorithmsInOrder, 6, out, &error, &progress),
        MultiDigestOutcome::Cancelled);
    canceller.join();
    EXPECT_LT(progress.load(), 1ull << 30);  // far from the 16 GiB
    EXPECT_EQ(
        HashAllDigests(hasher, large.c_str(), kDigestAlgorithmsInOrder, 6, out, &error, nullptr),
        MultiDigestOutcome::Cancelled);
    DestroyMultiDigestHasher(hasher);
  }
  DeleteFileUtf8(large.c_str());
}

}  // namespace
