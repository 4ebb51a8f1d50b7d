// The flattening's kernels for SSSE3, four pixels to a register, sixteen to
// a step: PSHUFB widens the channels and spreads each alpha, PMULHUW divides
// by 255 exactly, and three stores write the step's 48 bytes.
#include "cel/flatten_kernels.h"

#if defined(TAMSA_X86_KERNELS)
#include <tmmintrin.h>

#include "cel/flatten_simd_store.h"

namespace {

constexpr std::size_t kStepPixels = 16;

// x / 255, truncated, in each 16-bit lane, for x up to 65535: x * 0x8081 >> 23.
__m128i DivideBy255(__m128i x) {
  return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

// Four pixels of blue, green, red, alpha blended over four pattern colours;
// blue, green, red in bytes 0-11, the rest zero.
__m128i BlendFour(__m128i source, __m128i colours) {
  const __m128i lowPixels = _mm_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 4, -1, 5, -1, 6, -1, 7, -1);
  const __m128i highPixels =
      _mm_setr_epi8(8, -1, 9, -1, 10, -1, 11, -1, 12, -1, 13, -1, 14, -1, 15, -1);
  const __m128i lowAlpha = _mm_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
  const __m128i highAlpha =
      _mm_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
  const __m128i opaque = _mm_set1_epi16(255);

  const __m128i alphaLow = _mm_shuffle_epi8(source, lowAlpha);
  const __m128i alphaHigh = _mm_shuffle_epi8(source, highAlpha);
  const __m128i low =
      _mm_add_epi16(DivideBy255(_mm_mullo_epi16(_mm_shuffle_epi8(source, lowPixels), alphaLow)),
                    DivideBy255(_mm_mullo_epi16(_mm_shuffle_epi8(colours, lowPixels),
                                                _mm_sub_epi16(opaque, alphaLow))));
  const __m128i high =
      _mm_add_epi16(DivideBy255(_mm_mullo_epi16(_mm_shuffle_epi8(source, highPixels), alphaHigh)),
                    DivideBy255(_mm_mullo_epi16(_mm_shuffle_epi8(colours, highPixels),
                                                _mm_sub_epi16(opaque, alphaHigh))));
  const __m128i packed = _mm_packus_epi16(low, high);
  return _mm_shuffle_epi8(packed,
                          _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
}

// Four pixels with alpha ignored: a pixel of alpha 0 becomes white. Blue,
// green, red in bytes 0-11, the rest zero.
__m128i KeepFour(__m128i source) {
  const __m128i clear = _mm_cmpeq_epi8(source, _mm_setzero_si128());
  const __m128i clearPixels = _mm_shuffle_epi8(
      clear, _mm_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15));
  return _mm_shuffle_epi8(_mm_or_si128(source, clearPixels),
                          _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
}

__m128i Load(const void* from) { return _mm_loadu_si128(static_cast<const __m128i*>(from)); }

}  // namespace

void BlendOverPatternSsse3(const std::uint8_t* source, const std::uint32_t* pattern,
                           std::uint32_t flip, std::size_t count, std::uint8_t* out) {
  const __m128i flips = _mm_set1_epi32(static_cast<int>(flip));
  std::size_t i = 0;
  for (; count - i >= kStepPixels; i += kStepPixels) {
    const std::uint8_t* from = source + 4 * i;
    const std::uint32_t* colours = pattern + i;
    StoreSixteenPixels(out + 3 * i, BlendFour(Load(from), _mm_xor_si128(Load(colours), flips)),
                       BlendFour(Load(from + 16), _mm_xor_si128(Load(colours + 4), flips)),
                       BlendFour(Load(from + 32), _mm_xor_si128(Load(colours + 8), flips)),
                       BlendFour(Load(from + 48), _mm_xor_si128(Load(colours + 12), flips)));
  }
  BlendOverPatternPortable(source + 4 * i, pattern + i, flip, count - i, out + 3 * i);
}

void KeepColoursSsse3(const std::uint8_t* source, std::size_t count, std::uint8_t* out) {
  std::size_t i = 0;
  for (; count - i >= kStepPixels; i += kStepPixels) {
    const std::uint8_t* from = source + 4 * i;
    StoreSixteenPixels(out + 3 * i, KeepFour(Load(from)), KeepFour(Load(from + 16)),
                       KeepFour(Load(from + 32)), KeepFour(Load(from + 48)));
  }
  KeepColoursPortable(source + 4 * i, count - i, out + 3 * i);
}

#endif
