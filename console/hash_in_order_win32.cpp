#include "console/hash_in_order_win32.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "console/console_output_win32.h"

namespace {

constexpr DWORD kProgressIntervalMs = 100;  // at most ten lines a second

struct Slot {
  std::string path;
  std::string shown;
  uint64_t sizeHint = 0;
};

// "1.5 GiB" and the like.
std::string Bytes(double bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  while (bytes >= 1024 && unit < 4) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
  return text;
}

struct Meter {
  const HashLoop* loop;
  DWORD started;
  DWORD shownAt;
  uint64_t filesDone = 0;
  uint64_t bytesDone = 0;
};

// Files done and total, bytes and rate, the current name, time left.
void ShowMeter(Meter* m, const Slot* current, int32_t percent, bool force) {
  if (!m->loop->progress) return;
  const DWORD now = ::GetTickCount();
  if (!force && now - m->shownAt < kProgressIntervalMs) return;
  m->shownAt = now;
  uint64_t bytes = m->bytesDone;
  if (current && percent > 0) bytes += current->sizeHint * static_cast<uint64_t>(percent) / 100;
  const double seconds = (now - m->started) / 1000.0;
  char text[160];
  if (m->loop->totalFiles) {
    std::snprintf(text, sizeof text, "%llu/%llu files  ",
                  static_cast<unsigned long long>(m->filesDone),
                  static_cast<unsigned long long>(m->loop->totalFiles));
  } else {
    std::snprintf(text, sizeof text, "%llu files  ", static_cast<unsigned long long>(m->filesDone));
  }
  std::string line = text;
  line.append(Bytes(static_cast<double>(bytes)));
  if (seconds > 0.2) {
    line.append("  ");
    line.append(Bytes(bytes / seconds));
    line.append("/s");
  }
  // Time left by bytes where the total is known, else by files.
  double fraction = 0;
  if (m->loop->totalBytes) {
    fraction = static_cast<double>(bytes) / static_cast<double>(m->loop->totalBytes);
  } else if (m->loop->totalFiles) {
    fraction = static_cast<double>(m->filesDone) / static_cast<double>(m->loop->totalFiles);
  }
  if (fraction > 0.01 && fraction < 1 && seconds > 1) {
    const unsigned left = static_cast<unsigned>(seconds / fraction - seconds + 0.5);
    std::snprintf(text, sizeof text, "  %u:%02u left", left / 60, left % 60);
    line.append(text);
  }
  if (current) {
    line.append("  ");
    line.append(current->shown);
  }
  ShowProgressLine(line);
}

}  // namespace

bool HashInOrder(const HashLoop& loop) {
  FileHasher* hasher = CreateFileHasher(loop.options);
  if (!hasher) return false;
  std::vector<Slot> slots(kFileHasherWindow);
  Meter meter{&loop, ::GetTickCount(), ::GetTickCount()};
  uint32_t submitted = 0;
  bool more = true;
  for (;;) {
    while (more && FilesInFlight(hasher) < kFileHasherWindow) {
      NextFile next;
      if (!loop.next(loop.context, submitted, &next)) {
        more = false;
        break;
      }
      Slot& slot = slots[submitted % kFileHasherWindow];
      slot.path.swap(next.path);
      slot.shown.swap(next.shown);
      slot.sizeHint = next.sizeHint;
      next.request.Path = slot.path.c_str();
      if (SubmitFile(hasher, next.request) != SubmitOutcome::Accepted) {
        more = false;
        break;
      }
      ++submitted;
    }
    FileResult result;
    const TakeOutcome taken = WaitFileResult(hasher, &result, kProgressIntervalMs);
    if (taken == TakeOutcome::Empty) {
      if (!more) break;
      continue;
    }
    if (taken == TakeOutcome::Cancelled) break;
    if (taken == TakeOutcome::Pending) {
      const Slot& oldest = slots[(submitted - FilesInFlight(hasher)) % kFileHasherWindow];
      ShowMeter(&meter, &oldest, OldestFileProgress(hasher), false);
      continue;
    }
    const Slot& slot = slots[result.Sequence % kFileHasherWindow];
    ++meter.filesDone;
    meter.bytesDone += result.Size;
    loop.take(loop.context, result, slot.shown);
    ShowMeter(&meter, nullptr, 0, false);
  }
  DestroyFileHasher(hasher);
  ClearProgressLine();
  return true;
}
