// The step both SIMD kernels end with: sixteen flattened pixels, held as four
// registers of 12 bytes each (bytes 12-15 zero), written as three 16-byte
// stores. Internal linkage on purpose: each SIMD file compiles its own copy
// for its own instruction set, so the linker has no shared one to choose.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace {

inline void StoreSixteenPixels(std::uint8_t* out, __m128i a, __m128i b, __m128i c, __m128i d) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(a, _mm_slli_si128(b, 12)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16),
                   _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32),
                   _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
}

}  // namespace
