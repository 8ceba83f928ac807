// The in-process counting semaphore under Wine, with both ways of sleeping:
// units are neither lost nor made up while two threads hand a ring's worth
// back and forth, the maximum is kept, and a quit wakes a sleeping thread.
#include "platform/counting_semaphore_win32.h"

#include <gtest/gtest.h>
#include <process.h>

#include <string>
#include <vector>

#include "platform/handles_win32.h"

namespace {

constexpr LONG kMaximum = 9;
constexpr DWORD kThreadTimeoutMs = 60000;

class CountingSemaphoreTest : public ::testing::TestWithParam<SemaphoreSleep> {
 protected:
  void SetUp() override {
    quit_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(quit_);
    ASSERT_TRUE(CreateCountingSemaphore(&a_, kMaximum, quit_.Get(), GetParam()));
    ASSERT_TRUE(CreateCountingSemaphore(&b_, kMaximum, quit_.Get(), GetParam()));
  }
  // A failed assertion may leave a started thread inside a wait: it is woken
  // by the quit and ended before the semaphores go.
  void TearDown() override {
    Quit();
    for (UniqueKernelHandle& thread : threads_) WaitForSingleObject(thread.Get(), kThreadTimeoutMs);
    CloseCountingSemaphore(&a_);
    CloseCountingSemaphore(&b_);
  }
  void Quit() {
    SetEvent(quit_.Get());
    WakeCountingSemaphoreForQuit(&a_);
    WakeCountingSemaphoreForQuit(&b_);
  }

  HANDLE StartThread(unsigned(__stdcall* entry)(void*), void* argument) {
    threads_.emplace_back(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, argument, 0, nullptr)));
    return threads_.back().Get();
  }

  UniqueEvent quit_;
  CountingSemaphore a_{};
  CountingSemaphore b_{};
  std::vector<UniqueKernelHandle> threads_;
};

TEST_P(CountingSemaphoreTest, SleepsTheWayItWasAskedToWhereThePlatformAllows) {
  // Wine has address waits; without them the file hasher would pay a server
  // round trip on every block.
  EXPECT_EQ(UsesAddressWaits(&a_), GetParam() == SemaphoreSleep::AddressWait);
}

TEST_P(CountingSemaphoreTest, CountsAndKeepsTheMaximum) {
  EXPECT_FALSE(ReleaseCountingSemaphore(&a_, 0));
  EXPECT_TRUE(ReleaseCountingSemaphore(&a_, 8));
  EXPECT_TRUE(ReleaseCountingSemaphore(&a_, 1));
  // A release past the maximum is refused whole.
  EXPECT_FALSE(ReleaseCountingSemaphore(&a_, 1));
  EXPECT_FALSE(ReleaseCountingSemaphore(&a_, 5));
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(WaitCountingSemaphore(&a_)) << i;
  EXPECT_EQ(a_.Count, 0);
  EXPECT_TRUE(ReleaseCountingSemaphore(&a_, 9));
}

// The reader's hand-off to its worker: the producer may run at most eight units ahead;
// every unit carries its sequence number through a ring, so a lost, doubled
// or early unit shows as a wrong number.
struct Ring {
  CountingSemaphore* Free;
  CountingSemaphore* Filled;
  volatile LONG Slots[8];
  LONG Units;
  LONG Faults;
};

unsigned __stdcall Producer(void* argument) {
  Ring* ring = static_cast<Ring*>(argument);
  for (LONG i = 0; i < ring->Units; ++i) {
    if (!WaitCountingSemaphore(ring->Free)) return 1;
    ring->Slots[i % 8] = i;
    if (!ReleaseCountingSemaphore(ring->Filled, 1)) ++ring->Faults;
    // Now and then let the consumer catch up and fall asleep.
    if (i % 997 == 0) Sleep(1);
  }
  return 0;
}

TEST_P(CountingSemaphoreTest, NoUnitIsLostOrMadeUpBetweenTwoThreads) {
  static Ring ring;  // outlives the producer even when an assertion fails
  ring = Ring{&a_, &b_, {}, 50000, 0};
  ASSERT_TRUE(ReleaseCountingSemaphore(&a_, 8));
  HANDLE thread = StartThread(Producer, &ring);
  ASSERT_TRUE(thread);
  LONG wrong = 0;
  for (LONG i = 0; i < ring.Units; ++i) {
    ASSERT_TRUE(WaitCountingSemaphore(&b_)) << i;
    if (ring.Slots[i % 8] != i) ++wrong;
    if (i % 1499 == 0) Sleep(1);  // and let the producer fill the ring
    ASSERT_TRUE(ReleaseCountingSemaphore(&a_, 1)) << i;
  }
  ASSERT_EQ(WaitForSingleObject(thread, kThreadTimeoutMs), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(ring.Faults, 0);
  // Every unit was handed over: the ring is full again, nothing is owed.
  EXPECT_EQ(a_.Count, 8);
  EXPECT_EQ(b_.Count, 0);
}

unsigned __stdcall Sleeper(void* argument) {
  return WaitCountingSemaphore(static_cast<CountingSemaphore*>(argument)) ? 1 : 0;
}

// Whether a thread is asleep in a wait on `semaphore`: it is inside its wait
// once the count shows it owed a unit.
bool Asleep(const CountingSemaphore* semaphore) {
  for (int i = 0; i < 5000 && semaphore->Count == 0; ++i) Sleep(1);
  return semaphore->Count == -1;
}

// 1 when the sleeper got a unit, 0 when it was woken by the quit.
DWORD SleeperOutcome(HANDLE thread) {
  if (WaitForSingleObject(thread, kThreadTimeoutMs) != WAIT_OBJECT_0) return 99;
  DWORD code = 99;
  GetExitCodeThread(thread, &code);
  return code;
}

TEST_P(CountingSemaphoreTest, QuitWakesASleeperAndEveryLaterWaitFails) {
  HANDLE thread = StartThread(Sleeper, &a_);
  ASSERT_TRUE(thread);
  ASSERT_TRUE(Asleep(&a_));
  EXPECT_EQ(WaitForSingleObject(thread, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  Quit();
  EXPECT_EQ(SleeperOutcome(thread), 0u);
  // Quit comes first even when a unit is there to take.
  ASSERT_TRUE(ReleaseCountingSemaphore(&b_, 1));
  EXPECT_FALSE(WaitCountingSemaphore(&b_));
}

TEST_P(CountingSemaphoreTest, ReleaseWakesASleeperWithItsUnit) {
  HANDLE thread = StartThread(Sleeper, &a_);
  ASSERT_TRUE(thread);
  ASSERT_TRUE(Asleep(&a_));
  ASSERT_TRUE(ReleaseCountingSemaphore(&a_, 3));
  EXPECT_EQ(SleeperOutcome(thread), 1u);
  // Of the three units one went to the sleeper.
  EXPECT_EQ(a_.Count, 2);
  EXPECT_TRUE(WaitCountingSemaphore(&a_));
  EXPECT_TRUE(WaitCountingSemaphore(&a_));
  EXPECT_EQ(a_.Count, 0);
}

INSTANTIATE_TEST_SUITE_P(Both, CountingSemaphoreTest,
                         ::testing::Values(SemaphoreSleep::AddressWait,
                                           SemaphoreSleep::KernelSemaphore),
                         [](const ::testing::TestParamInfo<SemaphoreSleep>& param) {
                           return std::string(param.param == SemaphoreSleep::AddressWait
                                                  ? "AddressWaits"
                                                  : "KernelSemaphore");
                         });

}  // namespace
