// What the processor and the operating system let this program use, read with
// CPUID and XGETBV. Portable: on other architectures every flag is false.
#pragma once

struct CpuFeatures {
  bool ssse3 = false;
  bool sse41 = false;
  bool pclmul = false;
  // AVX2 is only set when the operating system saves the 256-bit register
  // state, VPCLMULQDQ when it saves at least that.
  bool avx2 = false;
  // BMI2 (rotate without flags), set beside AVX2 only.
  bool bmi2 = false;
  // AVX-512 flags are only set when the operating system also saves the
  // 512-bit register state (XCR0), so the instructions are safe to run.
  bool avx512f = false;
  bool avx512bw = false;
  bool avx512vl = false;
  bool vpclmulqdq = false;
  // The SHA extensions (SHA-1 and SHA-256 rounds and message schedule).
  bool sha = false;
};

CpuFeatures DetectCpuFeatures();
