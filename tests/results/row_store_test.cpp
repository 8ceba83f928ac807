#include "results/row_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Store {
  RowStore s;
  Store() { EXPECT_TRUE(CreateRowStore(&s)); }
  ~Store() { DestroyRowStore(&s); }
  ResultRow* Add(const char* line, int kind = 1) {
    return AddStoredRow(&s, kind, SplitResultLine(line, true));
  }
};

bool Collect(const ResultRow* row, void* context) {
  static_cast<std::vector<const ResultRow*>*>(context)->push_back(row);
  return true;
}

// The rows as the window would show them for a sort state: ascending walks
// append, descending walks insert each row at the top.
std::vector<const ResultRow*> View(const Store& st, const SortState& state) {
  std::vector<const ResultRow*> walked;
  WalkRowsInOrder(&st.s, state, Collect, &walked);
  if (state.Sorted && state.Descending) return {walked.rbegin(), walked.rend()};
  return walked;
}

std::vector<std::string> Names(const std::vector<const ResultRow*>& rows) {
  std::vector<std::string> out;
  for (auto* r : rows) out.push_back(r->Name);
  return out;
}

std::vector<std::string> Fields(const char* text, bool drive = true) {
  LineFields f = SplitResultLine(text, drive);
  std::vector<std::string> out;
  for (int i = 0; i < f.Count; ++i) out.emplace_back(f.Start[i], f.Length[i]);
  return out;
}

using V = std::vector<std::string>;

TEST(SplitResultLine, ReportedLineFormats) {
  // "%s: %08X:  %s" with a drive-qualified name keeps "C:" in the name.
  EXPECT_EQ(Fields("C:\\data\\a.bin: 1A2B3C4D:  OK"), (V{"C:\\data\\a.bin", "1A2B3C4D", "OK"}));
  // "%s: :   %s.  %s": the lone blank between the colons is an empty CRC.
  EXPECT_EQ(Fields("a.bin: :   FAILED.  File does not exist"),
            (V{"a.bin", "", "FAILED.  File does not exist"}));
  EXPECT_EQ(Fields("All files OK"), (V{"All files OK"}));
  EXPECT_EQ(Fields("ab: c: d: e: f"), (V{"ab", "c", "d"}));
  EXPECT_EQ(Fields(""), V{});
  EXPECT_EQ(Fields("::::", false), V{});
  EXPECT_EQ(Fields("x:::y::z", false), (V{"x", "y", "z"}));
  // A second-character colon always counts as a drive, as the run prints it.
  EXPECT_EQ(Fields("a: b: c"), (V{"a: b", "c"}));
  EXPECT_EQ(Fields("a.bin: \t\r\n:  OK"), (V{"a.bin", "", "OK"}));
  // Without the exception (the shell extension's window) the drive splits.
  EXPECT_EQ(Fields("C:\\a: 1:  OK", false), (V{"C", "\\a", "1"}));
  EXPECT_EQ(Fields("x:", true), (V{"x:"}));
}

TEST(RowStore, NamesAreKeptWholeOtherFieldsCutToTheirSizes) {
  Store st;
  std::string name(700, 'n'), crc(200, 'c'), status(300, 's');
  std::string line = name + ":" + crc + ":" + status;
  ResultRow* r = st.Add(line.c_str());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::string(r->Name), name);  // a name is kept whole
  st.Add("m.bin: 1:  OK");
  SortState byName{true, NameColumn, false};
  EXPECT_EQ(Names(View(st, byName)), (V{"m.bin", name}));
  EXPECT_EQ(std::string(r->Crc), crc.substr(0, 131));
  EXPECT_EQ(std::string(r->Status), status.substr(0, 127));
  EXPECT_EQ(r->Kind, 1);
  // A SHA-512 digest, the longest a list carries, stays whole.
  const std::string sha512(128, 'F');
  std::string digestLine = "x.bin: ";
  digestLine += sha512;
  digestLine += ":  OK";
  ResultRow* digest = st.Add(digestLine.c_str());
  ASSERT_NE(digest, nullptr);
  EXPECT_EQ(std::string(digest->Crc), sha512);
}

TEST(SortState, ClicksCycleAndMoveTheArrow) {
  SortState s;
  EXPECT_EQ(AdvanceSortState(&s, NameColumn), -1);
  EXPECT_TRUE(s.Sorted && s.Column == NameColumn && !s.Descending);
  EXPECT_EQ(AdvanceSortState(&s, NameColumn), -1);
  EXPECT_TRUE(s.Sorted && s.Descending);
  EXPECT_EQ(AdvanceSortState(&s, NameColumn), -1);
  EXPECT_FALSE(s.Sorted);
  EXPECT_EQ(s.Column, NameColumn);  // kept so its arrow can be cleared
  AdvanceSortState(&s, CrcColumn);
  AdvanceSortState(&s, CrcColumn);
  EXPECT_EQ(AdvanceSortState(&s, StatusColumn), CrcColumn);
  EXPECT_TRUE(s.Sorted && s.Column == StatusColumn && !s.Descending);
}

TEST(RowStore, ColumnOrders) {
  Store st;
  st.Add("b.bin: 0000ABCD:  OK");
  st.Add("A.bin: 0000abcd:  FAILED.  CRC mismatch");
  st.Add("_x.bin: 9999FFFF:  ok (Previously verified)");
  st.Add("All files OK");
  st.Add("c.bin: :   FAILED.  File does not exist");

  SortState byName{true, NameColumn, false};
  EXPECT_EQ(Names(View(st, byName)), (V{"_x.bin", "A.bin", "All files OK", "b.bin", "c.bin"}));
  // Exact CRC order: empty first, digits before letters, upper before lower.
  SortState byCrc{true, CrcColumn, false};
  std::vector<std::string> crcs;
  for (auto* r : View(st, byCrc)) crcs.push_back(r->Crc);
  EXPECT_EQ(crcs, (V{"", "", "0000ABCD", "0000abcd", "9999FFFF"}));
  // Status ignores case; rows without status come first.
  SortState byStatus{true, StatusColumn, false};
  EXPECT_EQ(Names(View(st, byStatus)), (V{"All files OK", "A.bin", "c.bin", "b.bin", "_x.bin"}));
  SortState none;
  EXPECT_EQ(Names(View(st, none)), (V{"b.bin", "A.bin", "_x.bin", "All files OK", "c.bin"}));
}

TEST(CompareText, ModesAndPrefixes) {
  EXPECT_LT(CompareText("abc", "abcd", CompareMode::Exact), 0);
  EXPECT_EQ(CompareText("ABC", "abc", CompareMode::CaseInsensitive), 0);
  EXPECT_LT(CompareText("ABC", "abc", CompareMode::Exact), 0);
  EXPECT_LT(CompareText("_", "a", CompareMode::CaseInsensitive), 0);
  EXPECT_GT(CompareText("_", "A", CompareMode::Exact), 0);
  EXPECT_GT(CompareText("\xe9", "z", CompareMode::Exact), 0);  // bytes are unsigned
  // UTF-8 characters are code points, folded by the case fold that is set
  // (here: É to é) where they differ.
  constexpr auto ci = CompareMode::CaseInsensitive;
  EXPECT_LT(CompareText("\xC3\x89", "\xC3\xA9", ci), 0);
  SetCaseFold([](uint32_t c) -> uint32_t { return c == 0xC9 ? 0xE9 : c; });
  EXPECT_EQ(CompareText("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\xA9", ci), 0);
  EXPECT_LT(CompareText("\xC3\xA9\x61", "\xC3\x89\x62", ci), 0);  // éa, Éb
  EXPECT_LT(CompareText("\xC3\x89", "\xC3\xA9", CompareMode::Exact), 0);
  EXPECT_LT(CompareText("z", "\xC3\x89", ci), 0);
  EXPECT_LT(CompareText("\xEF\xBF\xBF", "\xF0\x9F\x8E\xB5", ci), 0);  // U+FFFF, U+1F3B5
  // A byte that starts no valid sequence sorts above every character and
  // nothing past the terminator is read.
  EXPECT_GT(CompareText("a\xE6", "a\xE6\x9D\xB1", ci), 0);
  EXPECT_GT(CompareText("\xC0\xAF", "\xF4\x8F\xBF\xBF", ci), 0);  // overlong "/"
  EXPECT_EQ(CompareText("\xFF\xFE", "\xFF\xFE", ci), 0);
  SetCaseFold(nullptr);
  EXPECT_NE(CompareText("\xC3\x89", "\xC3\xA9", ci), 0);
}

// Hundreds of thousands of equal keys: arrival order kept ascending and
// reversed descending, and the walk (no recursion) and destruction cope.
TEST(RowStore, ManyEqualKeysKeepArrivalOrder) {
  Store st;
  constexpr int kRows = 300000;
  ASSERT_TRUE(ReserveRowStore(&st.s, kRows));
  char line[64];
  for (int i = 0; i < kRows; ++i) {
    std::snprintf(line, sizeof line, "%s%07d: 00000000:  OK", i % 3 ? "same" : "SAME", i);
    ASSERT_NE(st.Add(line), nullptr) << i;
  }
  // Same CRC and same status (ignoring case) for every row.
  for (int column : {CrcColumn, StatusColumn}) {
    SortState asc{true, column, false};
    auto rows = View(st, asc);
    ASSERT_EQ(rows.size(), size_t{kRows});
    for (int i = 0; i < kRows; i += 997) EXPECT_EQ(atoi(rows[i]->Name + 4), i);
    SortState desc{true, column, true};
    rows = View(st, desc);
    for (int i = 0; i < kRows; i += 997) EXPECT_EQ(atoi(rows[kRows - 1 - i]->Name + 4), i);
  }
  SortState byName{true, NameColumn, false};
  auto rows = View(st, byName);
  for (int i = 1; i < kRows; ++i) ASSERT_EQ(atoi(rows[i]->Name + 4), i);
}

int g_maxDepth = 0;
bool MaxDepth(const char*, ResultRow*, void*, int depth) {
  if (depth > g_maxDepth) g_maxDepth = depth;
  return true;
}
int g_visits = 0;
bool StopAtThree(const char*, ResultRow*, void*, int) {
  return ++g_visits < 3;
}

TEST(SortIndex, StaysBalancedAndStopsEarly) {
  Store st;
  char line[32];
  constexpr int kRows = 1 << 16;
  for (int i = 0; i < kRows; ++i) {  // ascending keys: worst case for a plain tree
    std::snprintf(line, sizeof line, "%08d", i);
    st.Add(line);
  }
  g_maxDepth = 0;
  EXPECT_TRUE(WalkSortIndex(st.s.Indexes[NameColumn], MaxDepth, nullptr));
  EXPECT_LE(g_maxDepth, 2 * 17);
  EXPECT_GE(g_maxDepth, 17);
  g_visits = 0;
  EXPECT_FALSE(WalkSortIndex(st.s.Indexes[CrcColumn], StopAtThree, nullptr));
  EXPECT_EQ(g_visits, 3);
}

TEST(RecordPool, FreeListIsFirstInFirstOut) {
  RecordPool* pool = CreateRecordPool(20, 4, 2);
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->RecordSize, 32u);
  EXPECT_EQ(PoolTotal(pool), 4u);
  std::vector<char*> got;
  for (int i = 0; i < 4; ++i) got.push_back(static_cast<char*>(PoolAllocate(pool)));
  for (int i = 1; i < 4; ++i) EXPECT_EQ(got[i] - got[i - 1], 32);  // address order
  std::memset(got[1], 0xAB, 32);
  PoolRelease(pool, got[1]);
  PoolRelease(pool, got[3]);
  char* a = static_cast<char*>(PoolAllocate(pool));
  char* b = static_cast<char*>(PoolAllocate(pool));
  EXPECT_EQ(a, got[1]);
  EXPECT_EQ(b, got[3]);
  for (int i = 0; i < 32; ++i) ASSERT_EQ(a[i], 0);  // handed out zero-filled
  // Empty free list: a growth block of 2.
  EXPECT_NE(PoolAllocate(pool), nullptr);
  EXPECT_EQ(PoolTotal(pool), 6u);
  // Reserve grows in one block, never shrinks, and refuses absurd totals.
  EXPECT_TRUE(PoolReserve(pool, 50));
  EXPECT_EQ(PoolTotal(pool), 50u);
  EXPECT_TRUE(PoolReserve(pool, 10));
  EXPECT_EQ(PoolTotal(pool), 50u);
  EXPECT_FALSE(PoolReserve(pool, SIZE_MAX / 2));
  EXPECT_EQ(PoolTotal(pool), 50u);
  std::set<void*> distinct;
  for (int i = 0; i < 45; ++i) distinct.insert(PoolAllocate(pool));
  EXPECT_EQ(distinct.size(), 45u);
  EXPECT_EQ(distinct.count(nullptr), 0u);
  DestroyRecordPool(pool);
  EXPECT_EQ(CreateRecordPool(16, 0, 1), nullptr);
}

TEST(RecordPool, ThreadsShareOnePool) {
  RecordPool* pool = CreateRecordPool(sizeof(ResultRow), 10, 7);
  ASSERT_NE(pool, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([pool, t] {
      std::deque<unsigned char*> held;
      for (int i = 0; i < 20000; ++i) {
        auto* r = static_cast<unsigned char*>(PoolAllocate(pool));
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r[sizeof(ResultRow) - 1], 0);
        r[sizeof(ResultRow) - 1] = static_cast<unsigned char>(t + 1);
        held.push_back(r);
        if (held.size() > 30) {
          PoolRelease(pool, held.front());
          held.pop_front();
        }
      }
      for (auto* r : held) PoolRelease(pool, r);
    });
  }
  for (auto& th : threads) th.join();
  DestroyRecordPool(pool);
}

}  // namespace
