// The read-and-hash pipeline on real files under Wine: both block modes (1 MiB
// reads, 64 KiB mapped views), both variants (the verifier's static ring and
// the shell extension's per-command allocation), digests against the
// checksum primitives and against fixed values from zlib and md5sum.
#include "hashing/pipeline_win32.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/entry_status.h"
#include "hashing/md5.h"
#include "platform/handles_win32.h"
#include "tests/pipeline/test_folder_win32.h"

namespace {

constexpr uint64_t kUnknownSize = ~0ull;
constexpr DWORD kJobTimeoutMs = 120000;

enum class Variant { Static, Shell };

struct Outcome {
  uint32_t Status;
  uint32_t Crc;
  std::string Md5;  // 32 lower-case hex digits
};

std::string Hex(const unsigned char* bytes, size_t count) {
  std::string text;
  char pair[3];
  for (size_t i = 0; i < count; ++i) {
    snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

uint32_t CrcOf(const std::vector<unsigned char>& bytes) {
  return ~UpdateCRC32(0xFFFFFFFF, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::string Md5Of(const std::vector<unsigned char>& bytes) {
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  unsigned char digest[16];
  MD5Final(digest, &context);
  return Hex(digest, 16);
}

// One running pipeline of either variant.
class Pipeline {
 public:
  Pipeline(Variant variant, PipelineOptions options) : variant_(variant) {
    options.SuppressViewErrorBox = true;
    if (variant == Variant::Shell) {
      command_ = CreateShellHashCommand();
      started_ = command_ && StartShellHashing(command_, options) == 1;
    } else {
      memset(&staticJob_, 0, sizeof staticJob_);
      started_ = StartHashing(&staticJob_, options) == 1;
    }
  }
  ~Pipeline() {
    Stop();
    FreeShellHashCommand(command_);
  }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  bool Started() const { return started_; }
  HashJob* Job() { return variant_ == Variant::Shell ? &command_->Job : &staticJob_; }
  HashPipeline* State() {
    return variant_ == Variant::Shell ? &command_->Pipeline : StaticHashPipeline();
  }

  // The caller's protocol: inputs, reset, release.
  void Begin(const char* path, bool md5, uint64_t expectedSize = kUnknownSize) {
    HashJob* job = Job();
    memset(job->FilePath, 0, sizeof job->FilePath);
    strncpy(job->FilePath, path, sizeof job->FilePath - 1);
    job->ExpectedSizeLow = static_cast<uint32_t>(expectedSize);
    job->ExpectedSizeHigh = static_cast<uint32_t>(expectedSize >> 32);
    job->UseMd5 = md5 ? 1 : 0;
    job->Status = 0xDEAD;
    // The previous job's percentage would pass for progress of this one
    // until the hashing thread takes the job up and clears it.
    job->Progress = -1;
    ResetEvent(job->DoneEvent);
    ReleaseSemaphore(job->StartSemaphore, 1, nullptr);
  }

  bool WaitDone() { return WaitForSingleObject(Job()->DoneEvent, kJobTimeoutMs) == WAIT_OBJECT_0; }

  Outcome Hash(const char* path, bool md5, uint64_t expectedSize = kUnknownSize) {
    Begin(path, md5, expectedSize);
    EXPECT_TRUE(WaitDone()) << path;
    HashJob* job = Job();
    return {job->Status, job->ResultCrc, md5 ? Hex(job->ResultMd5, 16) : std::string()};
  }

  void Stop() {
    if (!started_) return;
    if (variant_ == Variant::Shell) {
      StopShellHashing(command_);
    } else {
      StopHashing(&staticJob_);
    }
    started_ = false;
  }

 private:
  Variant variant_;
  bool started_ = false;
  ShellHashCommand* command_ = nullptr;
  HashJob staticJob_;
};

struct Setup {
  const char* Name;
  Variant Kind;
  BlockModeRule Rule;
  SemaphoreSleep Sleep = SemaphoreSleep::AddressWait;
};

PipelineOptions OptionsOf(const Setup& setup) {
  PipelineOptions options;
  options.ModeRule = setup.Rule;
  options.Sleep = setup.Sleep;
  return options;
}

class PipelineModesTest : public ::testing::TestWithParam<Setup> {
 protected:
  bool Maps() const { return GetParam().Rule == BlockModeRule::MapBelowThreshold; }
  uint64_t BlocksOf(uint64_t size) const {
    uint64_t block = Maps() ? kMapBlockBytes : kReadBlockBytes;
    return (size + block - 1) / block;
  }
  TestFolder folder_;
};

TEST_P(PipelineModesTest, SizesAroundTheBlockEdgesMatchThePrimitives) {
  Pipeline pipeline(GetParam().Kind, OptionsOf(GetParam()));
  ASSERT_TRUE(pipeline.Started());
  // 9 MiB + 3 wraps the ring of eight 1 MiB slots; every size above 64 KiB
  // wraps it in mapping mode.
  const size_t sizes[] = {0, 1, 65535, 65536, 65537, 1048575, 1048576, 1048577, 9 * 1048576 + 3};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> bytes = PatternBytes(size, static_cast<uint32_t>(size));
    ASSERT_TRUE(WriteBytes("data.bin", bytes));
    uint32_t servedBefore = pipeline.State()->BlocksServed;
    Outcome crc = pipeline.Hash("data.bin", false);
    EXPECT_EQ(crc.Status, Hashed);
    EXPECT_EQ(crc.Crc, CrcOf(bytes));
    // Exactly one request per block: nothing read twice, nothing left over.
    EXPECT_EQ(pipeline.State()->BlocksServed - servedBefore, BlocksOf(size));
    if (size > 0) {
      EXPECT_EQ(pipeline.State()->Slots[7].UseMapping, Maps() ? 1u : 0u);
    }

    Outcome md5 = pipeline.Hash("data.bin", true, size);
    EXPECT_EQ(md5.Status, Hashed);
    EXPECT_EQ(md5.Md5, Md5Of(bytes));
    EXPECT_EQ(static_cast<LONG>(pipeline.Job()->Progress), size > 0 ? 100 : 0);
  }
}

TEST_P(PipelineModesTest, FixedDigests) {
  Pipeline pipeline(GetParam().Kind, OptionsOf(GetParam()));
  ASSERT_TRUE(pipeline.Started());
  const char* digits = "123456789";
  ASSERT_TRUE(WriteBytes("check.txt", std::vector<unsigned char>(digits, digits + 9)));
  EXPECT_EQ(pipeline.Hash("check.txt", false).Crc, 0xCBF43926u);
  EXPECT_EQ(pipeline.Hash("check.txt", true).Md5, "25f9e794323b453885f5181f1b624d0b");

  // Byte i is (31 i + 7) mod 256; digests from zlib.crc32 and md5sum.
  std::vector<unsigned char> bytes(1048577);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 31 + 7);
  ASSERT_TRUE(WriteBytes("pattern.bin", bytes));
  EXPECT_EQ(pipeline.Hash("pattern.bin", false).Crc, 0xA0D1ACB5u);
  EXPECT_EQ(pipeline.Hash("pattern.bin", true).Md5, "b68260e9a33f6d74165da80734481246");

  // An empty file after a failed job still gives the digests of empty input.
  ASSERT_TRUE(WriteBytes("empty.bin", {}));
  EXPECT_EQ(pipeline.Hash("nothing.bin", false).Status, FileMissing);
  Outcome empty = pipeline.Hash("empty.bin", false);
  EXPECT_EQ(empty.Status, Hashed);
  EXPECT_EQ(empty.Crc, 0u);
  EXPECT_EQ(pipeline.Hash("pattern.bin", true, 5).Status, LengthMismatch);
  Outcome emptyMd5 = pipeline.Hash("empty.bin", true);
  EXPECT_EQ(emptyMd5.Status, Hashed);
  EXPECT_EQ(emptyMd5.Md5, "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_P(PipelineModesTest, LengthIsCheckedBeforeAnyDataIsRead) {
  Pipeline pipeline(GetParam().Kind, OptionsOf(GetParam()));
  ASSERT_TRUE(pipeline.Started());
  std::vector<unsigned char> bytes = PatternBytes(65537);
  ASSERT_TRUE(WriteBytes("data.bin", bytes));
  uint32_t served = pipeline.State()->BlocksServed;
  EXPECT_EQ(pipeline.Hash("data.bin", false, 65536).Status, LengthMismatch);
  EXPECT_EQ(pipeline.Hash("data.bin", false, 65538).Status, LengthMismatch);
  EXPECT_EQ(pipeline.Hash("data.bin", false, (1ull << 32) | 65537).Status, LengthMismatch);
  // Only both halves all ones mean "no size"; one half alone is a size.
  EXPECT_EQ(pipeline.Hash("data.bin", false, 0xFFFFFFFFull).Status, LengthMismatch);
  EXPECT_EQ(pipeline.Hash("data.bin", false, 0xFFFFFFFF00000000ull | 65537).Status, LengthMismatch);
  EXPECT_EQ(pipeline.State()->BlocksServed, served);

  Outcome sized = pipeline.Hash("data.bin", false, 65537);
  EXPECT_EQ(sized.Status, Hashed);
  EXPECT_EQ(sized.Crc, CrcOf(bytes));
  Outcome unsized = pipeline.Hash("data.bin", false, kUnknownSize);
  EXPECT_EQ(unsized.Status, Hashed);
  EXPECT_EQ(unsized.Crc, CrcOf(bytes));
}

TEST_P(PipelineModesTest, MissingResolvedAndUnresolvedNames) {
  Pipeline pipeline(GetParam().Kind, OptionsOf(GetParam()));
  ASSERT_TRUE(pipeline.Started());
  bool shell = GetParam().Kind == Variant::Shell;
  std::vector<unsigned char> mine = PatternBytes(70000, 1);
  std::vector<unsigned char> beside = PatternBytes(3000, 2);
  ASSERT_TRUE(WriteBytes("my_file.txt", mine));
  ASSERT_TRUE(WriteBytes("a1.txt", {'1'}));
  ASSERT_TRUE(WriteBytes("a-b.txt", {'2'}));
  ASSERT_TRUE(WriteBytes("sub_x.txt", beside));

  Outcome resolved = pipeline.Hash("my file.txt", false);
  EXPECT_EQ(resolved.Status, Hashed);
  EXPECT_EQ(resolved.Crc, CrcOf(mine));
  EXPECT_STREQ(pipeline.Job()->FilePath, "my file.txt");  // the list's name stays
  EXPECT_EQ(pipeline.Hash("a.txt", false).Status, Unresolved);
  EXPECT_EQ(pipeline.Hash("b.txt", false).Status, FileMissing);
  EXPECT_EQ(pipeline.Hash("sub\\x.txt", false).Status, shell ? ReadError : FileMissing);
  ASSERT_TRUE(MakeFolder("sub"));
  Outcome inFolder = pipeline.Hash("sub\\x.txt", true);
  EXPECT_EQ(inFolder.Status, Hashed);
  EXPECT_EQ(inFolder.Md5, Md5Of(beside));
  // A job resolved to a folder cannot be read.
  ASSERT_TRUE(MakeFolder("only_dir"));
  EXPECT_EQ(pipeline.Hash("only dir", false).Status, ReadError);
}

TEST_P(PipelineModesTest, JobsInARowAfterFailuresEachGetTheirOwnResult) {
  Pipeline pipeline(GetParam().Kind, OptionsOf(GetParam()));
  ASSERT_TRUE(pipeline.Started());
  std::vector<unsigned char> a = PatternBytes(2 * 1048576 + 5, 10);
  std::vector<unsigned char> b = PatternBytes(300000, 11);
  ASSERT_TRUE(WriteBytes("a.bin", a));
  ASSERT_TRUE(WriteBytes("b.bin", b));
  ASSERT_TRUE(WriteBytes("c1.bin", {'x'}));
  ASSERT_TRUE(WriteBytes("c2.bin", {'y'}));
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(pipeline.Hash("a.bin", false).Crc, CrcOf(a));
    EXPECT_EQ(pipeline.Hash("gone.bin", false).Status, FileMissing);
    EXPECT_EQ(pipeline.Hash("b.bin", true).Md5, Md5Of(b));
    EXPECT_EQ(pipeline.Hash("a.bin", true, a.size() - 1).Status, LengthMismatch);
    EXPECT_EQ(pipeline.Hash("c.bin", false).Status, Unresolved);
    Outcome again = pipeline.Hash("b.bin", false, b.size());
    EXPECT_EQ(again.Status, Hashed);
    EXPECT_EQ(again.Crc, CrcOf(b));
    EXPECT_EQ(pipeline.Hash("a.bin", true).Md5, Md5Of(a));
  }
}

// Waits until the job in flight has hashed at least one percent.
bool WaitForSomeProgress(Pipeline& pipeline) {
  for (int i = 0; i < 20000; ++i) {
    if (pipeline.Job()->Progress >= 1) return true;
    if (WaitForSingleObject(pipeline.Job()->DoneEvent, 0) == WAIT_OBJECT_0) return false;
    Sleep(1);
  }
  return false;
}

TEST_P(PipelineModesTest, StopInTheMiddleEndsWithReadErrorWithinOneBlock) {
  const uint64_t size = 4ull << 30;
  ASSERT_TRUE(MakeSparseFile("big.bin", size));
  std::vector<unsigned char> small = PatternBytes(1048576 + 1, 3);
  ASSERT_TRUE(WriteBytes("small.bin", small));
  for (int round = 0; round < 2; ++round) {
    Pipeline pipeline(GetParam().Kind, OptionsOf(GetParam()));
    ASSERT_TRUE(pipeline.Started());
    EXPECT_EQ(pipeline.Hash("small.bin", false).Crc, CrcOf(small));
    pipeline.Begin("big.bin", round == 1);
    ASSERT_TRUE(WaitForSomeProgress(pipeline));
    HashJob* job = pipeline.Job();
    HashPipeline* state = pipeline.State();
    pipeline.Stop();
    EXPECT_EQ(job->Status, ReadError);
    EXPECT_LT(static_cast<LONG>(job->Progress), 100);
    // The hashing thread stops at its next wait; the reader never runs more
    // than the eight requested blocks ahead of it.
    EXPECT_LE(state->BlocksServed, state->BlocksHashed + kSlotCount);
    EXPECT_LT(state->BlocksServed, BlocksOf(size));
    for (const BlockSlot& slot : state->Slots) EXPECT_EQ(slot.View, nullptr);
    EXPECT_EQ(job->DoneEvent, nullptr);
  }
  // The same pipeline record starts again cleanly after a stop.
  Pipeline again(GetParam().Kind, OptionsOf(GetParam()));
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(again.Hash("small.bin", true).Md5, Md5Of(small));
}

const Setup kSetups[] = {
    {"VerifierReads", Variant::Static, BlockModeRule::AlwaysRead},
    {"VerifierMaps", Variant::Static, BlockModeRule::MapBelowThreshold},
    {"ShellReads", Variant::Shell, BlockModeRule::AlwaysRead},
    {"ShellMaps", Variant::Shell, BlockModeRule::MapBelowThreshold},
    // Where the platform has no address waits the block semaphores sleep on
    // kernel semaphores.
    {"VerifierReadsKernelSleep", Variant::Static, BlockModeRule::AlwaysRead,
     SemaphoreSleep::KernelSemaphore},
    {"ShellMapsKernelSleep", Variant::Shell, BlockModeRule::MapBelowThreshold,
     SemaphoreSleep::KernelSemaphore},
};
INSTANTIATE_TEST_SUITE_P(Both, PipelineModesTest, ::testing::ValuesIn(kSetups),
                         [](const ::testing::TestParamInfo<Setup>& param) {
                           return std::string(param.param.Name);
                         });

class PipelineReadModeTest : public ::testing::TestWithParam<Variant> {
 protected:
  TestFolder folder_;
};

// A file cut short by another program while it is read: the block that comes
// up short ends the job, the blocks still in flight are drained, and the next
// job counts exactly its own blocks.
TEST_P(PipelineReadModeTest, FileCutShortWhileReadEndsWithReadErrorAndIsDrained) {
  Pipeline pipeline(GetParam(), PipelineOptions{});
  ASSERT_TRUE(pipeline.Started());
  std::vector<unsigned char> next = PatternBytes(10 * 1048576 + 5, 4);
  ASSERT_TRUE(WriteBytes("next.bin", next));
  ASSERT_TRUE(MakeSparseFile("shrinks.bin", 4ull << 30));
  pipeline.Begin("shrinks.bin", false);
  ASSERT_TRUE(WaitForSomeProgress(pipeline));
  {
    UniqueFileHandle cutter(CreateFileA("shrinks.bin", GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    ASSERT_TRUE(cutter);
    LARGE_INTEGER at;
    at.QuadPart = 1048576;
    ASSERT_TRUE(SetFilePointerEx(cutter.Get(), at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(cutter.Get()));
  }
  ASSERT_TRUE(pipeline.WaitDone());
  EXPECT_EQ(pipeline.Job()->Status, ReadError);
  EXPECT_LT(static_cast<LONG>(pipeline.Job()->Progress), 100);

  uint32_t served = pipeline.State()->BlocksServed;
  Outcome outcome = pipeline.Hash("next.bin", false);
  EXPECT_EQ(outcome.Status, Hashed);
  EXPECT_EQ(outcome.Crc, CrcOf(next));
  EXPECT_EQ(pipeline.State()->BlocksServed - served, 11u);
  EXPECT_EQ(pipeline.Hash("next.bin", true).Md5, Md5Of(next));
}

TEST_P(PipelineReadModeTest, SlotDataAreasSuitReadsThatBypassTheCache) {
  Pipeline pipeline(GetParam(), PipelineOptions{});
  ASSERT_TRUE(pipeline.Started());
  for (const BlockSlot& slot : pipeline.State()->Slots) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(slot.Data) % 4096, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Both, PipelineReadModeTest,
                         ::testing::Values(Variant::Static, Variant::Shell),
                         [](const ::testing::TestParamInfo<Variant>& param) {
                           return std::string(param.param == Variant::Static ? "Verifier"
                                                                             : "Shell");
                         });

// Stand-ins for the two mapping calls that fail when told to.
struct MappingFaults {
  bool FailCreate = false;
  LONG FailView = -1;  // the number of the view that fails, from 0
  volatile LONG ViewsAsked = 0;
};
MappingFaults mappingFaults;

HANDLE CreateMappingOrFail(HANDLE file) {
  if (mappingFaults.FailCreate) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
}

const void* MapViewOrFail(HANDLE mapping, uint64_t offset, uint32_t length) {
  if (InterlockedIncrement(&mappingFaults.ViewsAsked) - 1 == mappingFaults.FailView) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return MapViewOfFile(mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                       static_cast<DWORD>(offset), length);
}

class PipelineMappingFaultTest : public ::testing::TestWithParam<Variant> {
 protected:
  void SetUp() override { mappingFaults = MappingFaults{}; }
  void TearDown() override { mappingFaults = MappingFaults{}; }
  TestFolder folder_;
};

TEST_P(PipelineMappingFaultTest, MappingOrViewThatCannotBeMadeEndsTheJobWithReadError) {
  PipelineOptions options;
  options.ModeRule = BlockModeRule::MapBelowThreshold;
  options.CreateMapping = CreateMappingOrFail;
  options.MapView = MapViewOrFail;
  Pipeline pipeline(GetParam(), options);
  ASSERT_TRUE(pipeline.Started());
  std::vector<unsigned char> data = PatternBytes(20 * 65536 + 5, 8);  // 21 views
  std::vector<unsigned char> next = PatternBytes(300000, 9);          // 5 views
  ASSERT_TRUE(WriteBytes("data.bin", data));
  ASSERT_TRUE(WriteBytes("next.bin", next));

  // No mapping: the job ends at once and no block is asked for.
  mappingFaults.FailCreate = true;
  uint32_t served = pipeline.State()->BlocksServed;
  EXPECT_EQ(pipeline.Hash("data.bin", false).Status, ReadError);
  EXPECT_EQ(pipeline.State()->BlocksServed, served);
  EXPECT_EQ(static_cast<LONG>(pipeline.Job()->Progress), 0);
  mappingFaults.FailCreate = false;
  EXPECT_EQ(pipeline.Hash("next.bin", false).Crc, CrcOf(next));

  // View 12 fails after the ring has wrapped: twelve blocks hashed, the
  // eight requests still out answered and drained, then the next files are
  // whole again.
  mappingFaults.ViewsAsked = 0;
  mappingFaults.FailView = 12;
  served = pipeline.State()->BlocksServed;
  EXPECT_EQ(pipeline.Hash("data.bin", true).Status, ReadError);
  EXPECT_EQ(static_cast<LONG>(pipeline.Job()->Progress), 12 * 100 / 21);
  EXPECT_EQ(pipeline.State()->BlocksServed - served, 20u);
  mappingFaults.FailView = -1;
  served = pipeline.State()->BlocksServed;
  EXPECT_EQ(pipeline.Hash("next.bin", true).Md5, Md5Of(next));
  EXPECT_EQ(pipeline.State()->BlocksServed - served, 5u);
  Outcome whole = pipeline.Hash("data.bin", false);
  EXPECT_EQ(whole.Status, Hashed);
  EXPECT_EQ(whole.Crc, CrcOf(data));
  for (const BlockSlot& slot : pipeline.State()->Slots) EXPECT_EQ(slot.View, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Both, PipelineMappingFaultTest,
                         ::testing::Values(Variant::Static, Variant::Shell),
                         [](const ::testing::TestParamInfo<Variant>& param) {
                           return std::string(param.param == Variant::Static ? "Verifier"
                                                                             : "Shell");
                         });

// Sparse files on both sides of the 1,000,000,000-byte threshold. The CRC of
// n zero bytes comes from zlib.crc32.
TEST(PipelineThresholdTest, ModeOfFilesAtTheMappingThreshold) {
  TestFolder folder;
  ASSERT_TRUE(MakeSparseFile("below.bin", 999999999));
  ASSERT_TRUE(MakeSparseFile("at.bin", 1000000000));
  const uint32_t belowCrc = 0xFD51EB3B;
  const uint32_t atCrc = 0x63F45742;
  struct Case {
    const char* Name;
    BlockModeRule Rule;
    NtFamilyDecision Nt;
    const char* File;
    uint32_t Crc;
    uint32_t Mapped;
    uint32_t Blocks;
  };
  const Case cases[] = {
      {"classic, not NT, below", BlockModeRule::MapBelowThreshold, NtFamilyDecision::ForceNotNt,
       "below.bin", belowCrc, 1, 15259},
      {"classic, not NT, at", BlockModeRule::MapBelowThreshold, NtFamilyDecision::ForceNotNt,
       "at.bin", atCrc, 0, 954},
      {"classic, NT, at", BlockModeRule::MapBelowThreshold, NtFamilyDecision::ForceNt, "at.bin",
       atCrc, 1, 15259},
      {"default, below", BlockModeRule::AlwaysRead, NtFamilyDecision::Query, "below.bin", belowCrc,
       0, 954},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    PipelineOptions options;
    options.ModeRule = c.Rule;
    options.NtFamily = c.Nt;
    Pipeline pipeline(Variant::Static, options);
    ASSERT_TRUE(pipeline.Started());
    uint32_t served = pipeline.State()->BlocksServed;
    Outcome outcome = pipeline.Hash(c.File, false);
    EXPECT_EQ(outcome.Status, Hashed);
    EXPECT_EQ(outcome.Crc, c.Crc);
    EXPECT_EQ(pipeline.State()->Slots[0].UseMapping, c.Mapped);
    EXPECT_EQ(pipeline.State()->BlocksServed - served, c.Blocks);
  }
}

// Stands in for the progress bar: records what the hashing thread posts.
struct ProgressLog {
  std::vector<std::pair<UINT, LPARAM>> Messages;
};
ProgressLog* progressLog = nullptr;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (progressLog && message == PBM_SETRANGE) progressLog->Messages.push_back({message, lParam});
  if (progressLog && message == PBM_SETPOS) {
    progressLog->Messages.push_back({message, static_cast<LPARAM>(wParam)});
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(ShellProgressBarTest, BarFollowsTheBlocksOfEachFile) {
  TestFolder folder;
  WNDCLASSA probeClass = {};
  probeClass.lpfnWndProc = ProbeProc;
  probeClass.hInstance = GetModuleHandleA(nullptr);
  probeClass.lpszClassName = "CorvanaProgressProbe";
  RegisterClassA(&probeClass);
  HWND parent = CreateWindowA("STATIC", "progress", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  HWND bar = CreateWindowA("CorvanaProgressProbe", "", WS_CHILD, 0, 0, 100, 10, parent,
                           reinterpret_cast<HMENU>(1002), probeClass.hInstance, nullptr);
  ASSERT_NE(bar, nullptr);
  ProgressLog log;
  progressLog = &log;

  ShellHashCommand* command = CreateShellHashCommand();
  ASSERT_NE(command, nullptr);
  command->Job.ProgressWindow = parent;
  ASSERT_EQ(StartShellHashing(command), 1);
  std::vector<unsigned char> bytes = PatternBytes(3 * 1048576 + 1, 5);  // four 1 MiB blocks
  ASSERT_TRUE(WriteBytes("four.bin", bytes));
  std::vector<unsigned char> three = PatternBytes(3 * 1048576, 6);  // three blocks
  ASSERT_TRUE(WriteBytes("three.bin", three));
  for (const char* name : {"four.bin", "three.bin"}) {
    strcpy(command->Job.FilePath, name);
    command->Job.ExpectedSizeLow = command->Job.ExpectedSizeHigh = 0xFFFFFFFF;
    ResetEvent(command->Job.DoneEvent);
    ReleaseSemaphore(command->Job.StartSemaphore, 1, nullptr);
    ASSERT_EQ(WaitForSingleObject(command->Job.DoneEvent, kJobTimeoutMs), WAIT_OBJECT_0);
    EXPECT_EQ(command->Job.Status, Hashed);
  }
  FreeShellHashCommand(command);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  progressLog = nullptr;
  DestroyWindow(parent);

  const std::vector<std::pair<UINT, LPARAM>> expected = {{PBM_SETRANGE, MAKELPARAM(0, 100)},
                                                         {PBM_SETPOS, 25},
                                                         {PBM_SETPOS, 50},
                                                         {PBM_SETPOS, 75},
                                                         {PBM_SETPOS, 100},
                                                         {PBM_SETPOS, 33},
                                                         {PBM_SETPOS, 66},
                                                         {PBM_SETPOS, 100}};
  EXPECT_EQ(log.Messages, expected);
}

}  // namespace
