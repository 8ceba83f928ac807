// Process-wide state of the verifier, shared by the start-up code, the run
// and the results window's commands. Everything here is touched only by the
// user-interface thread (the hasher's threads see only their requests), so plain
// variables suffice: window commands set flags that the run polls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/list_entry.h"
#include "hashing/digest_algorithm.h"
#include "results/run_counters.h"

// Room for a path in UTF-8 with its terminator: a list's path, the results
// file's, a base folder. A path that does not fit is refused, never cut.
constexpr size_t kVerifierPathBytes = kMaxEntryName + 1;

// Settings read once when the verifier starts.
struct RunSettings {
  bool UpdateDb = true;
  bool ShowMenu = true;
  bool AddTag = false;
  uint64_t ExpireTicks = 0;  // 100-ns units; 0 = a database never expires
  uint32_t Threads = 0;      // "Threads": files hashed at once, 0 = as the storage allows
  char Signature[256] = {};
};

// The screen area the stored window placement is fitted to: the virtual
// screen where the system has one, else the primary screen from 0,0.
struct ScreenArea {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct VerifierState {
  RunSettings Settings;
  RunCounters Counters;
  char ListPath[kVerifierPathBytes] = {};
  char OutputPath[kVerifierPathBytes] = {};
  char IniPath[kVerifierPathBytes] = {};
  bool OutputMode = false;
  bool VerifyAll = false;
  bool CreateMode = false;  // CREATE:name given; the verifier creates no lists
  // TYPE: sfv (Crc32, also without TYPE:), md5, sha1, sha256, sha512, blake3.
  DigestAlgorithm CreateType = DigestAlgorithm::Crc32;
  bool ErrorLevel = false;      // ERRORLEVEL: the exit code tells the run's result (error_level.h)
  bool StopRequested = false;   // "&Open", "&Reparent current SFV", Escape
  bool RerunRequested = false;  // "Check &all files"
  char PendingBase[kVerifierPathBytes] = {};  // folder chosen by "&Reparent current SFV", '\' ended
  char ActiveBase[kVerifierPathBytes] = {};   // base folder in effect for the entries' names
  ScreenArea Screen;
  uint64_t LastVerifiedTime = 0;  // FILETIME of the previous run, per list
  bool ListRead = false;          // the last run read its list (not unopenable or invalid)
  uint32_t InvalidLines = 0;      // list lines the last run reported as invalid
};

// The one instance of the verifier process.
extern VerifierState g_verifier;
