// What the processor offers the fast paths of the 32-bit flattening.
#pragma once

struct CpuFeatures {
  bool ssse3 = false;
  bool avx2 = false;  // and the system saves the YMM registers on a switch
};

// Asks CPUID, and for AVX2 also XGETBV; all false on a processor that is not x86.
CpuFeatures ReadCpuFeatures();
