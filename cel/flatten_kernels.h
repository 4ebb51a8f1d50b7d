// The inner loops of the 32-bit flattening, one pair per instruction set.
// Each takes whole pixels only (blue, green, red, alpha) and writes exactly
// count * 3 bytes (blue, green, red); walking the rows, the pattern's cells,
// short data and the row padding are flatten.cpp's.
//
// The SIMD files include only this header, the intrinsics and
// flatten_simd_store.h: an inline function of a shared header, compiled
// there for a wider instruction set, could become the copy the linker keeps
// for every caller.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#define TAMSA_X86_KERNELS 1
#endif

// Pixel i blended over the colour pattern[i] ^ flip, whose blue is in bits
// 0-7, green in 8-15 and red in 16-23 (bits 24-31 zero): per channel
// (p * (255 - a)) / 255 + (s * a) / 255, each quotient truncated.
using BlendOverPatternKernel = void (*)(const std::uint8_t* source, const std::uint32_t* pattern,
                                        std::uint32_t flip, std::size_t count, std::uint8_t* out);
// Alpha ignored: alpha 0 gives white, any other alpha copies the colour.
using KeepColoursKernel = void (*)(const std::uint8_t* source, std::size_t count,
                                   std::uint8_t* out);

void BlendOverPatternPortable(const std::uint8_t* source, const std::uint32_t* pattern,
                              std::uint32_t flip, std::size_t count, std::uint8_t* out);
void KeepColoursPortable(const std::uint8_t* source, std::size_t count, std::uint8_t* out);

// The SIMD kernels hand the last pixels that fill no whole block to the
// portable ones. They exist in x86 builds only (TAMSA_X86_KERNELS).
void BlendOverPatternSsse3(const std::uint8_t* source, const std::uint32_t* pattern,
                           std::uint32_t flip, std::size_t count, std::uint8_t* out);
void KeepColoursSsse3(const std::uint8_t* source, std::size_t count, std::uint8_t* out);
void BlendOverPatternAvx2(const std::uint8_t* source, const std::uint32_t* pattern,
                          std::uint32_t flip, std::size_t count, std::uint8_t* out);
void KeepColoursAvx2(const std::uint8_t* source, std::size_t count, std::uint8_t* out);
