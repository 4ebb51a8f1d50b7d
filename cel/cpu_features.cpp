#include "cel/cpu_features.h"

#include <cstdint>

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <intrin.h>
#define TAMSA_HAS_CPUID 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#define TAMSA_HAS_CPUID 1
#endif

#if defined(TAMSA_HAS_CPUID)
namespace {

struct CpuidResult {
  std::uint32_t eax, ebx, ecx, edx;
};

// The highest standard leaf, 0 when the processor has no CPUID at all.
std::uint32_t HighestLeaf() {
#if defined(_MSC_VER)
  int registers[4];
  __cpuid(registers, 0);
  return static_cast<std::uint32_t>(registers[0]);
#else
  return __get_cpuid_max(0, nullptr);
#endif
}

CpuidResult Cpuid(std::uint32_t leaf, std::uint32_t subleaf) {
#if defined(_MSC_VER)
  int registers[4];
  __cpuidex(registers, static_cast<int>(leaf), static_cast<int>(subleaf));
  return {static_cast<std::uint32_t>(registers[0]), static_cast<std::uint32_t>(registers[1]),
          static_cast<std::uint32_t>(registers[2]), static_cast<std::uint32_t>(registers[3])};
#else
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid_count(leaf, subleaf, eax, ebx, ecx, edx);
  return {eax, ebx, ecx, edx};
#endif
}

// XCR0: which register states the system saves. Only asked when CPUID
// reports OSXSAVE, without which the instruction faults.
std::uint64_t ExtendedControlRegister0() {
#if defined(_MSC_VER)
  return _xgetbv(0);
#else
  // The mnemonic rather than _xgetbv, which GCC offers only under -mxsave.
  std::uint32_t low = 0, high = 0;
  __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (std::uint64_t{high} << 32) | low;
#endif
}

constexpr std::uint32_t kSsse3Bit = 1u << 9;     // leaf 1, ECX
constexpr std::uint32_t kOsxsaveBit = 1u << 27;  // leaf 1, ECX
constexpr std::uint32_t kAvxBit = 1u << 28;      // leaf 1, ECX
constexpr std::uint32_t kAvx2Bit = 1u << 5;      // leaf 7 subleaf 0, EBX
constexpr std::uint64_t kXmmAndYmmState = 0x6;   // XCR0 bits 1 and 2

}  // namespace
#endif

CpuFeatures ReadCpuFeatures() {
  CpuFeatures features;
#if defined(TAMSA_HAS_CPUID)
  const std::uint32_t highest = HighestLeaf();
  if (highest < 1) return features;
  const CpuidResult basic = Cpuid(1, 0);
  features.ssse3 = (basic.ecx & kSsse3Bit) != 0;
  const bool systemSavesYmm = (basic.ecx & kOsxsaveBit) != 0 && (basic.ecx & kAvxBit) != 0 &&
                              (ExtendedControlRegister0() & kXmmAndYmmState) == kXmmAndYmmState;
  if (systemSavesYmm && highest >= 7) features.avx2 = (Cpuid(7, 0).ebx & kAvx2Bit) != 0;
#endif
  return features;
}
