// Every fast path of the 32-bit flattening against the plain one, which calls
// BlendOverChecker per pixel: each path this processor runs is taken
// explicitly, so the portable path is held to it on a machine with AVX2 too.
#include "cel/flatten.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cel/cpu_features.h"
#include "support/kiss_files.h"

namespace {

using kiss::Bytes;

// What a fast path finds in a block it was handed: it must write every byte.
constexpr std::uint8_t kStaleByte = 0x5A;

Bytes AlphaCel(std::uint16_t width, std::uint16_t height, const Bytes& pixels) {
  return kiss::HeadedCel(0x21, 32, width, height, pixels);
}

// The first cut bytes of cel flattened by path, the cel in a heap block of
// exactly that size and the pixels in one of exactly theirs, so that the
// sanitizers see any access past either. The plain path gets the zero block
// it expects; the others a block of stale bytes.
Bytes Flatten(FlattenPath path, const Bytes& cel, const PluginSettings& settings,
              std::size_t cut = std::numeric_limits<std::size_t>::max()) {
  const std::size_t size = cut < cel.size() ? cut : cel.size();
  std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[size]);
  if (size != 0) std::memcpy(data.get(), cel.data(), size);
  const ByteView view{data.get(), size};
  PicturePlan plan{};
  if (!PlanPicture(view, &plan) || plan.rule.conversion != PixelConversion::kFlatten32 ||
      plan.pixelBytes == 0) {
    return {};
  }
  const std::size_t pixelBytes = static_cast<std::size_t>(plan.pixelBytes);
  std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[pixelBytes]);
  std::memset(pixels.get(), path == FlattenPath::kPlain ? 0 : kStaleByte, pixelBytes);
  FlattenRows(path, view, plan, settings, pixels.get());
  return Bytes(pixels.get(), pixels.get() + pixelBytes);
}

std::vector<FlattenPath> FastPaths() {
  std::vector<FlattenPath> paths;
  for (FlattenPath path : AvailableFlattenPaths()) {
    if (path != FlattenPath::kPlain) paths.push_back(path);
  }
  return paths;
}

// Index of the first byte where two blocks differ, for the failure message.
std::string FirstDifference(const Bytes& got, const Bytes& want) {
  if (got.size() != want.size()) {
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size());
  }
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want[i]) {
      return "byte " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " +
             std::to_string(want[i]);
    }
  }
  return "none";
}

TEST(FlattenPaths, ListedByWhatTheProcessorOffers) {
  const FlattenPaths paths = AvailableFlattenPaths();
  ASSERT_GE(paths.count, 2u);
  EXPECT_EQ(paths.path[0], FlattenPath::kPlain);
  EXPECT_EQ(paths.path[1], FlattenPath::kPortable);
  EXPECT_EQ(FastestFlattenPath(), paths.path[paths.count - 1]);
  std::string names;
  for (FlattenPath path : paths) names += std::string(" ") + FlattenPathName(path);
  std::printf("flattening paths on this processor:%s\n", names.c_str());

  bool hasSsse3 = false;
  bool hasAvx2 = false;
  for (FlattenPath path : paths) {
    hasSsse3 = hasSsse3 || path == FlattenPath::kSsse3;
    hasAvx2 = hasAvx2 || path == FlattenPath::kAvx2;
  }
  const CpuFeatures cpu = ReadCpuFeatures();
  EXPECT_EQ(hasSsse3, cpu.ssse3);
  EXPECT_EQ(hasAvx2, cpu.avx2);
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__i386__) || defined(__x86_64__))
  // The compiler's own reading of CPUID and XGETBV, as a second opinion.
  __builtin_cpu_init();
  EXPECT_EQ(cpu.ssse3, __builtin_cpu_supports("ssse3") != 0);
  EXPECT_EQ(cpu.avx2, __builtin_cpu_supports("avx2") != 0);
#endif
}

// Every pattern channel value, pixel channel value and alpha, each fast path
// against the plain one, that is BlendOverChecker for every pixel. Row y
// holds alpha y, column x the pixel value x; with one-pixel cells light and
// dark alternate, and as p runs through all values each channel of either
// colour does too (each its own shuffle of p).
TEST(FlattenPaths, BlendIsExactForEveryPatternPixelAndAlpha) {
  Bytes pixels(256 * 256 * 4);
  for (std::uint32_t alpha = 0; alpha < 256; ++alpha) {
    for (std::uint32_t s = 0; s < 256; ++s) {
      std::uint8_t* pixel = pixels.data() + 4 * (256 * alpha + s);
      pixel[0] = static_cast<std::uint8_t>(s + 153);
      pixel[1] = static_cast<std::uint8_t>(s + 51);
      pixel[2] = static_cast<std::uint8_t>(s);
      pixel[3] = static_cast<std::uint8_t>(alpha);
    }
  }
  const Bytes cel = AlphaCel(256, 256, pixels);
  PluginSettings settings;
  settings.GridSizeX = 1;
  settings.GridSizeY = 1;
  for (std::uint32_t p = 0; p < 256; ++p) {
    settings.ColorLight = p | (((p + 85) & 0xFF) << 8) | (((p + 170) & 0xFF) << 16);
    settings.ColorDark =
        ((p + 37) & 0xFF) | (((p + 111) & 0xFF) << 8) | (((p + 201) & 0xFF) << 16) | 0xCD000000u;
    const Bytes want = Flatten(FlattenPath::kPlain, cel, settings);
    for (FlattenPath path : FastPaths()) {
      const Bytes got = Flatten(path, cel, settings);
      ASSERT_TRUE(got == want) << FlattenPathName(path) << ", pattern value " << p << ", "
                               << FirstDifference(got, want);
    }
  }
}

// Pixels that stress the rules: clear and opaque often, and colours that are
// zero or full as often as anything between.
Bytes RandomPixels(std::mt19937& random, std::size_t count) {
  Bytes pixels(4 * count);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint32_t bits = random();
    switch (bits & 7) {
      case 0:
        pixels[i] = 0;
        break;
      case 1:
        pixels[i] = 255;
        break;
      default:
        pixels[i] = static_cast<std::uint8_t>(bits >> 8);
    }
  }
  return pixels;
}

std::vector<std::int32_t> GridSizes(std::uint32_t width) {
  std::vector<std::int32_t> sizes = {std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::min() + 1,
                                     std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::max() - 1,
                                     511,
                                     512,
                                     513,
                                     1023,
                                     1024,
                                     1025};
  for (std::int32_t size = -1; size <= static_cast<std::int32_t>(width) + 3; ++size)
    sizes.push_back(size);
  return sizes;
}

void ExpectFastPathsEqualPlain(const Bytes& cel, const PluginSettings& settings,
                               const std::string& what,
                               std::size_t cut = std::numeric_limits<std::size_t>::max()) {
  const Bytes want = Flatten(FlattenPath::kPlain, cel, settings, cut);
  for (FlattenPath path : FastPaths()) {
    const Bytes got = Flatten(path, cel, settings, cut);
    EXPECT_TRUE(got == want) << FlattenPathName(path) << ", " << what << ", "
                             << FirstDifference(got, want);
  }
}

TEST(FlattenPaths, RandomCelsEqualThePlainPathForEveryGridSize) {
  std::mt19937 random(20240517);
  for (std::uint16_t width : {1, 2, 3, 5, 7, 15, 16, 17, 31, 33, 47, 63, 65}) {
    const std::uint16_t height = static_cast<std::uint16_t>(1 + random() % 5);
    const Bytes cel = AlphaCel(width, height, RandomPixels(random, std::size_t{width} * height));
    const std::vector<std::int32_t> sizes = GridSizes(width);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      PluginSettings settings;
      settings.ColorLight = random();
      settings.ColorDark = random();
      settings.GridSizeX = sizes[i];
      // Every size across, and down beside a size from elsewhere in the list.
      settings.GridSizeY = sizes[(i * 7 + 3) % sizes.size()];
      for (std::uint32_t alphaType : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        settings.AlphaType = alphaType;
        ExpectFastPathsEqualPlain(cel, settings,
                                  "width " + std::to_string(width) + ", grid " +
                                      std::to_string(settings.GridSizeX) + " x " +
                                      std::to_string(settings.GridSizeY) + ", alpha type " +
                                      std::to_string(alphaType));
      }
    }
  }
}

// Rows wider than the pattern colours one call keeps at hand.
TEST(FlattenPaths, WideRowsEqualThePlainPath) {
  std::mt19937 random(7);
  for (std::uint16_t width : {1023, 1024, 1025, 2049, 3001}) {
    const Bytes cel = AlphaCel(width, 3, RandomPixels(random, std::size_t{width} * 3));
    for (std::int32_t grid : {0, 1, 2, 3, 7, 10, 100, 341, 511, 512, 513, 1000, 1024, 1025, 2048,
                              3000, std::numeric_limits<std::int32_t>::max()}) {
      PluginSettings settings;
      settings.ColorLight = random();
      settings.ColorDark = random();
      settings.GridSizeX = grid;
      settings.GridSizeY = 2;
      ExpectFastPathsEqualPlain(
          cel, settings, "width " + std::to_string(width) + ", grid " + std::to_string(grid));
    }
  }
}

// Short data, cut at every byte: missing pixels are transparent, and no
// path reads past the cut (the cel's block ends there).
TEST(FlattenPaths, ShortDataAtEveryCutEqualsThePlainPath) {
  std::mt19937 random(99);
  // 17 pixels a row: one 16-pixel step of the SIMD kernels and one more.
  const Bytes cel = AlphaCel(17, 3, RandomPixels(random, 17 * 3));
  for (std::int32_t grid : {-1, 1, 3, 16, 17, 1024}) {
    for (std::uint32_t alphaType : {0u, 1u}) {
      PluginSettings settings;
      settings.AlphaType = alphaType;
      settings.GridSizeX = grid;
      settings.GridSizeY = 2;
      settings.ColorLight = 0x00336699;
      settings.ColorDark = 0xFF102030;
      for (std::size_t cut = 0; cut <= cel.size(); ++cut) {
        ExpectFastPathsEqualPlain(cel, settings,
                                  "grid " + std::to_string(grid) + ", alpha type " +
                                      std::to_string(alphaType) + ", cut " + std::to_string(cut),
                                  cut);
      }
    }
  }
}

// What the fast paths write where the data has run out, stated directly.
TEST(FlattenPaths, PastTheDataThePatternOrWhiteAndWhitePadding) {
  // Two by two, one pixel and three bytes of data: the rest is transparent.
  const Bytes cel = AlphaCel(2, 2, {10, 20, 30, 255, 1, 2, 3});
  PluginSettings settings;
  settings.GridSizeX = 1;
  settings.GridSizeY = 1;
  settings.ColorLight = 0x00112233;
  settings.ColorDark = 0x00445566;
  PluginSettings ignored = settings;
  ignored.AlphaType = 1;
  for (FlattenPath path : FastPaths()) {
    // Bottom-up: the cel's second row comes first. Dark is 44 55 66 as
    // blue, green, red.
    EXPECT_EQ(Flatten(path, cel, settings, cel.size()),
              (Bytes{0x44, 0x55, 0x66, 0x11, 0x22, 0x33, 0xFF, 0xFF,  //
                     10, 20, 30, 0x44, 0x55, 0x66, 0xFF, 0xFF}))
        << FlattenPathName(path);
    EXPECT_EQ(Flatten(path, cel, ignored, cel.size()),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  //
                     10, 20, 30, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}))
        << FlattenPathName(path);
  }
}

}  // namespace
