#include "hashing/files_at_once.h"

namespace {

uint32_t Bounded(uint32_t count) {
  if (count < 1) return 1;
  return count > kMaxFilesAtOnce ? kMaxFilesAtOnce : count;
}

}  // namespace

uint32_t FilesAtOnce(SeekPenalty penalty, uint32_t threadsSetting, uint32_t processors) {
  if (threadsSetting != 0) return Bounded(threadsSetting);
  return penalty == SeekPenalty::None ? Bounded(processors) : 1;
}
