// The portable file interface on real files of the platform it runs on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/file.h"

namespace {

std::string TempName(const char* leaf) {
  std::string base = ::testing::TempDir();
  return base + leaf;
}

TEST(PlatformFile, WriteSeekTruncateAndReadBack) {
  const std::string path = TempName("corvana_platform_file.bin");
  UniqueFile out(OpenFile(path.c_str(), OpenMode::CreateExclusive));
  ASSERT_TRUE(out.Valid());
  ASSERT_TRUE(WriteToFile(out.Get(), "hello, world", 12));
  out.Reset();

  OpenError err;
  UniqueFile rw(OpenFile(path.c_str(), OpenMode::ReadWriteExclusive, &err));
  ASSERT_TRUE(rw.Valid());
  uint64_t pos = 0;
  ASSERT_TRUE(SeekFile(rw.Get(), 5, SeekFrom::Begin, &pos));
  EXPECT_EQ(pos, 5u);
  ASSERT_TRUE(TruncateFileHere(rw.Get()));
  uint64_t size = 0;
  ASSERT_TRUE(GetFileSize64(rw.Get(), &size));
  EXPECT_EQ(size, 5u);
  rw.Reset();

  UniqueFile in(OpenFile(path.c_str(), OpenMode::ReadShared));
  ASSERT_TRUE(in.Valid());
  char buf[16] = {};
  uint32_t got = 0;
  ASSERT_TRUE(ReadFromFile(in.Get(), buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), "hello");
  ASSERT_TRUE(ReadFromFile(in.Get(), buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);
  in.Reset();
  std::remove(path.c_str());
}

TEST(PlatformFile, MissingFileAndMissingFolderAreTold) {
  OpenError err = OpenError::None;
  const std::string missing = TempName("corvana_no_such_file.txt");
  EXPECT_EQ(OpenFile(missing.c_str(), OpenMode::ReadShared, &err), kNoFile);
  EXPECT_EQ(err, OpenError::NotFound);
#ifdef _WIN32
  const std::string noFolder = TempName("corvana_no_such_dir\\x.txt");
#else
  const std::string noFolder = TempName("corvana_no_such_dir/x.txt");
#endif
  EXPECT_EQ(OpenFile(noFolder.c_str(), OpenMode::ReadShared, &err), kNoFile);
  EXPECT_EQ(err, OpenError::PathNotFound);
}

TEST(PlatformFile, ExclusiveOpenRefusesASecondExclusiveOpener) {
  const std::string path = TempName("corvana_platform_excl.bin");
  UniqueFile first(OpenFile(path.c_str(), OpenMode::CreateExclusive));
  ASSERT_TRUE(first.Valid());
  OpenError err = OpenError::None;
  UniqueFile second(OpenFile(path.c_str(), OpenMode::ReadWriteExclusive, &err));
  EXPECT_FALSE(second.Valid());
  EXPECT_EQ(err, OpenError::SharingViolation);
  first.Reset();
  std::remove(path.c_str());
}

}  // namespace
