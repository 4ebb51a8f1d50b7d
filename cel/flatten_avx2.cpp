// The flattening's kernels for AVX2: the SSSE3 method on eight pixels to a
// register, sixteen to a step, stored as three 16-byte pieces.
#include "cel/flatten_kernels.h"

#if defined(TAMSA_X86_KERNELS)
#include <immintrin.h>

#include "cel/flatten_simd_store.h"

namespace {

constexpr std::size_t kStepPixels = 16;

// x / 255, truncated, in each 16-bit lane, for x up to 65535: x * 0x8081 >> 23.
__m256i DivideBy255(__m256i x) {
  return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(static_cast<short>(0x8081))), 7);
}

// A PSHUFB control for both 128-bit halves alike.
__m256i BothHalves(__m128i control) { return _mm256_broadcastsi128_si256(control); }

// Eight pixels blended over eight pattern colours; each 128-bit half holds
// the blue, green, red of its four pixels in bytes 0-11, the rest zero.
__m256i BlendEight(__m256i source, __m256i colours) {
  const __m256i lowPixels =
      BothHalves(_mm_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 4, -1, 5, -1, 6, -1, 7, -1));
  const __m256i highPixels =
      BothHalves(_mm_setr_epi8(8, -1, 9, -1, 10, -1, 11, -1, 12, -1, 13, -1, 14, -1, 15, -1));
  const __m256i lowAlpha =
      BothHalves(_mm_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1));
  const __m256i highAlpha =
      BothHalves(_mm_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1));
  const __m256i opaque = _mm256_set1_epi16(255);

  const __m256i alphaLow = _mm256_shuffle_epi8(source, lowAlpha);
  const __m256i alphaHigh = _mm256_shuffle_epi8(source, highAlpha);
  const __m256i low = _mm256_add_epi16(
      DivideBy255(_mm256_mullo_epi16(_mm256_shuffle_epi8(source, lowPixels), alphaLow)),
      DivideBy255(_mm256_mullo_epi16(_mm256_shuffle_epi8(colours, lowPixels),
                                     _mm256_sub_epi16(opaque, alphaLow))));
  const __m256i high = _mm256_add_epi16(
      DivideBy255(_mm256_mullo_epi16(_mm256_shuffle_epi8(source, highPixels), alphaHigh)),
      DivideBy255(_mm256_mullo_epi16(_mm256_shuffle_epi8(colours, highPixels),
                                     _mm256_sub_epi16(opaque, alphaHigh))));
  // Packing works within each half: pixels 0-3 in the low half, 4-7 in the high.
  const __m256i packed = _mm256_packus_epi16(low, high);
  return _mm256_shuffle_epi8(
      packed, BothHalves(_mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)));
}

// Eight pixels with alpha ignored: a pixel of alpha 0 becomes white. Laid
// out as BlendEight's result.
__m256i KeepEight(__m256i source) {
  const __m256i clear = _mm256_cmpeq_epi8(source, _mm256_setzero_si256());
  const __m256i clearPixels = _mm256_shuffle_epi8(
      clear, BothHalves(_mm_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15)));
  return _mm256_shuffle_epi8(
      _mm256_or_si256(source, clearPixels),
      BothHalves(_mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)));
}

// Sixteen pixels: the four halves of two registers.
void StoreSixteen(std::uint8_t* out, __m256i first, __m256i second) {
  StoreSixteenPixels(out, _mm256_castsi256_si128(first), _mm256_extracti128_si256(first, 1),
                     _mm256_castsi256_si128(second), _mm256_extracti128_si256(second, 1));
}

__m256i Load(const void* from) { return _mm256_loadu_si256(static_cast<const __m256i*>(from)); }

}  // namespace

void BlendOverPatternAvx2(const std::uint8_t* source, const std::uint32_t* pattern,
                          std::uint32_t flip, std::size_t count, std::uint8_t* out) {
  const __m256i flips = _mm256_set1_epi32(static_cast<int>(flip));
  std::size_t i = 0;
  for (; count - i >= kStepPixels; i += kStepPixels) {
    const std::uint8_t* from = source + 4 * i;
    const std::uint32_t* colours = pattern + i;
    StoreSixteen(out + 3 * i, BlendEight(Load(from), _mm256_xor_si256(Load(colours), flips)),
                 BlendEight(Load(from + 32), _mm256_xor_si256(Load(colours + 8), flips)));
  }
  BlendOverPatternPortable(source + 4 * i, pattern + i, flip, count - i, out + 3 * i);
}

void KeepColoursAvx2(const std::uint8_t* source, std::size_t count, std::uint8_t* out) {
  std::size_t i = 0;
  for (; count - i >= kStepPixels; i += kStepPixels) {
    const std::uint8_t* from = source + 4 * i;
    StoreSixteen(out + 3 * i, KeepEight(Load(from)), KeepEight(Load(from + 32)));
  }
  KeepColoursPortable(source + 4 * i, count - i, out + 3 * i);
}

#endif
