#include "hashing/cpu_features.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>

namespace {

uint64_t ReadXcr0() {
  uint32_t eax, edx;
  // XGETBV with ECX = 0; spelled as bytes so no target flag is needed.
  __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(eax), "=d"(edx) : "c"(0));
  return (static_cast<uint64_t>(edx) << 32) | eax;
}

}  // namespace

CpuFeatures DetectCpuFeatures() {
  CpuFeatures f;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return f;
  f.ssse3 = (ecx & bit_SSSE3) != 0;
  f.sse41 = (ecx & bit_SSE4_1) != 0;
  f.pclmul = (ecx & bit_PCLMUL) != 0;
  const bool osxsave = (ecx & bit_OSXSAVE) != 0;
  const bool avx = (ecx & bit_AVX) != 0;

  unsigned max_leaf = __get_cpuid_max(0, nullptr);
  if (max_leaf < 7) return f;
  // The SHA instructions work on XMM registers, which need no saving
  // beyond what every x86-64 system does.
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  f.sha = (ebx & bit_SHA) != 0;
  const unsigned leaf7_ebx = ebx, leaf7_ecx = ecx;
  if (!osxsave) return f;
  const uint64_t xcr0 = ReadXcr0();
  // SSE and AVX state; then also opmask, upper halves of ZMM0-15 and ZMM16-31.
  const bool os_ymm = (xcr0 & 0x06) == 0x06;
  const bool os_zmm = (xcr0 & 0xE6) == 0xE6;
  if (!os_ymm || !avx) return f;
  f.avx2 = (leaf7_ebx & bit_AVX2) != 0;
  f.bmi2 = (leaf7_ebx & bit_BMI2) != 0;
  f.vpclmulqdq = (leaf7_ecx & (1u << 10)) != 0;
  if (!os_zmm) return f;
  f.avx512f = (leaf7_ebx & bit_AVX512F) != 0;
  f.avx512bw = (leaf7_ebx & bit_AVX512BW) != 0;
  f.avx512vl = (leaf7_ebx & bit_AVX512VL) != 0;
  return f;
}

#else

CpuFeatures DetectCpuFeatures() {
  return CpuFeatures{};
}

#endif
