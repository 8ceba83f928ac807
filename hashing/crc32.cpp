// UpdateCRC32 hands every call to the fastest path this processor runs. The
// choice is made on the first call: the pointer starts at a resolver, which
// detects the processor and stores the chosen path. Threads that race on the
// first call all compute and store the same value, and the pointer is
// constant-initialised, so it is valid before any constructor has run.
#include "hashing/crc32.h"

#include <atomic>

#include "hashing/cpu_features.h"
#include "hashing/crc32_paths.h"

namespace {

uint32_t ResolveAndUpdate(uint32_t crc, const void* data, uint32_t length);

std::atomic<CrcFunction> g_update{&ResolveAndUpdate};

uint32_t ResolveAndUpdate(uint32_t crc, const void* data, uint32_t length) {
  const CrcFunction chosen = CrcPathFunction(SelectedCrcPath());
  g_update.store(chosen, std::memory_order_release);
  return chosen(crc, data, length);
}

}  // namespace

uint32_t UpdateCRC32(uint32_t crc, const void* data, uint32_t length) {
  return g_update.load(std::memory_order_acquire)(crc, data, length);
}

bool CrcPathSupported(CrcPath path) {
  const CpuFeatures f = DetectCpuFeatures();
  switch (path) {
    case CrcPath::Reference:
    case CrcPath::Slice16:
      return true;
    case CrcPath::Clmul:
      return f.pclmul && f.sse41;
    case CrcPath::Vpclmul256:
      return f.pclmul && f.sse41 && f.avx2 && f.vpclmulqdq;
    case CrcPath::Vpclmul512:
      return f.pclmul && f.sse41 && f.avx512f && f.avx512bw && f.avx512vl && f.vpclmulqdq;
  }
  return false;
}

CrcFunction CrcPathFunction(CrcPath path) {
  switch (path) {
    case CrcPath::Reference:
      return &UpdateCRC32Reference;
    case CrcPath::Slice16:
      return &UpdateCRC32Slice16;
    case CrcPath::Clmul:
      return &UpdateCRC32Clmul;
    case CrcPath::Vpclmul256:
      return &UpdateCRC32Vpclmul256;
    case CrcPath::Vpclmul512:
      return &UpdateCRC32Vpclmul512;
  }
  return &UpdateCRC32Reference;
}

const char* CrcPathName(CrcPath path) {
  switch (path) {
    case CrcPath::Reference:
      return "reference";
    case CrcPath::Slice16:
      return "slice16";
    case CrcPath::Clmul:
      return "pclmul";
    case CrcPath::Vpclmul256:
      return "vpclmul256";
    case CrcPath::Vpclmul512:
      return "vpclmul512";
  }
  return "?";
}

CrcPath SelectedCrcPath() {
  if (CrcPathSupported(CrcPath::Vpclmul512)) return CrcPath::Vpclmul512;
  if (CrcPathSupported(CrcPath::Vpclmul256)) return CrcPath::Vpclmul256;
  if (CrcPathSupported(CrcPath::Clmul)) return CrcPath::Clmul;
  return CrcPath::Slice16;
}
