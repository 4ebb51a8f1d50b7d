// The 32-bit flattening: the plain path, which calls BlendOverChecker for
// every pixel and is the reference, and fast paths that equal it byte for
// byte; ConvertPixels takes the fastest this processor runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cel/convert.h"

enum class FlattenPath : std::uint8_t { kPlain, kPortable, kSsse3, kAvx2 };

struct FlattenPaths {
  FlattenPath path[4];
  std::size_t count;
  const FlattenPath* begin() const { return path; }
  const FlattenPath* end() const { return path + count; }
};

// The paths this processor runs: plain and portable always, then the SIMD
// ones it offers, the fastest last.
FlattenPaths AvailableFlattenPaths();
// The last of AvailableFlattenPaths, asked of the processor once per process.
FlattenPath FastestFlattenPath();
const char* FlattenPathName(FlattenPath path);

// Flattens the rows of a 32-bit cel by the alpha rule of settings into
// pixels, plan.pixelBytes bytes, bottom-up, with 0xFF after each row's
// pixels. path is one of AvailableFlattenPaths(). The plain path expects a
// zero block and fills it with 0xFF first; the others write every byte once,
// whatever the block held.
void FlattenRows(FlattenPath path, ByteView cel, const PicturePlan& plan,
                 const PluginSettings& settings, std::uint8_t* pixels);
