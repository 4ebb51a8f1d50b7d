#include "cel/flatten.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "cel/cpu_features.h"
#include "cel/flatten_kernels.h"

namespace {

// The plain path: one BlendOverChecker call per pixel.

void PutBgr(std::uint8_t* out, std::uint32_t colour) {
  out[0] = static_cast<std::uint8_t>(colour >> 16);
  out[1] = static_cast<std::uint8_t>(colour >> 8);
  out[2] = static_cast<std::uint8_t>(colour);
}

void FlattenPixel(const std::uint8_t* pixel, std::uint32_t x, std::uint32_t y,
                  const PluginSettings& settings, std::uint8_t* out) {
  if (settings.AlphaType == 0) {
    PutBgr(out, BlendOverChecker(pixel, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                                 settings.GridSizeX, settings.GridSizeY, settings.ColorLight,
                                 settings.ColorDark));
  } else if (pixel[3] != 0) {
    out[0] = pixel[0];
    out[1] = pixel[1];
    out[2] = pixel[2];
  }
}

void FlattenRowsPlain(ByteView cel, const PicturePlan& plan, const PluginSettings& settings,
                      std::uint8_t* pixels) {
  // White everywhere first, row ends included; transparent pixels stay so.
  std::memset(pixels, 0xFF, static_cast<std::size_t>(plan.pixelBytes));
  const std::uint32_t width = plan.layout.width;
  const std::uint64_t rowBytes = CelBytesPerRow(width, 32);
  for (std::uint32_t y = 0; y < plan.layout.height; ++y) {
    std::uint8_t* out = OutputRow(pixels, plan, y);
    const std::uint64_t start = plan.layout.pixelOffset + y * rowBytes;
    const std::uint64_t available = AvailableFrom(cel, start);
    // Pixels wholly inside the data are read in place; the rest, at most a
    // short row and the rows after it, are read through the view as zeros.
    const std::uint64_t wholePixels = available / 4 < width ? available / 4 : width;
    std::uint32_t x = 0;
    if (wholePixels > 0) {
      const std::uint8_t* source = cel.data + static_cast<std::size_t>(start);
      for (; x < wholePixels; ++x)
        FlattenPixel(source + 4 * std::size_t{x}, x, y, settings, out + 3 * std::size_t{x});
    }
    // A pixel that is not wholly there lacks its alpha byte, so alpha is 0:
    // white when alpha is ignored, the pattern colour when it is shown.
    if (settings.AlphaType != 0) continue;
    for (; x < width; ++x) {
      std::uint8_t pixel[4] = {0, 0, 0, 0};
      const std::uint64_t offset = start + 4 * std::uint64_t{x};
      if (AvailableFrom(cel, offset) > 0) cel.CopyOut(static_cast<std::size_t>(offset), pixel, 4);
      FlattenPixel(pixel, x, y, settings, out + 3 * std::size_t{x});
    }
  }
}

// The fast paths: the pattern's cells walked once per row in pieces, and
// a kernel for the pixels of each piece.

struct Kernels {
  BlendOverPatternKernel blend;
  KeepColoursKernel keep;
};

Kernels KernelsFor(FlattenPath path) {
  switch (path) {
#if defined(TAMSA_X86_KERNELS)
    case FlattenPath::kSsse3:
      return {BlendOverPatternSsse3, KeepColoursSsse3};
    case FlattenPath::kAvx2:
      return {BlendOverPatternAvx2, KeepColoursAvx2};
#endif
    default:
      return {BlendOverPatternPortable, KeepColoursPortable};
  }
}

// 0x00BBGGRR as the kernels take it: blue in bits 0-7, red in 16-23.
std::uint32_t KernelColour(std::uint32_t colour) {
  return ((colour >> 16) & 0xFF) | (colour & 0xFF00) | ((colour & 0xFF) << 16);
}

std::uint32_t CellSize(std::int32_t gridSize) {
  return gridSize > 0 ? static_cast<std::uint32_t>(gridSize) : 1;
}

// The pattern colours a call can keep at hand (4 KB of stack).
constexpr std::uint32_t kPatternPixels = 1024;

// A run of pixels x to x + count of one row whose pattern colours are
// colours[0, count) ^ flip.
struct PatternPiece {
  std::uint32_t x;
  std::uint32_t count;
  const std::uint32_t* colours;
  std::uint32_t flip;
};

// The checker pattern of one call, handed out in pieces. A cell's parity is
// (x / cellX + y / cellY) mod 2, found without a division per pixel: the
// row's half of it once a row, and along the row the cells are walked.
class CheckerPattern {
 public:
  explicit CheckerPattern(const PluginSettings& settings)
      : cellX_(CellSize(settings.GridSizeX)),
        cellY_(CellSize(settings.GridSizeY)),
        lightXorDark_(KernelColour(settings.ColorLight) ^ KernelColour(settings.ColorDark)) {
    const std::uint32_t light = KernelColour(settings.ColorLight);
    const std::uint64_t pairWidth = 2 * std::uint64_t{cellX_};
    if (pairWidth <= kPatternPixels) {
      // Narrow cells: as many whole light-dark pairs as fit, and every row
      // walks them from its start, so each piece starts in phase.
      period_ = kPatternPixels / static_cast<std::uint32_t>(pairWidth) *
                static_cast<std::uint32_t>(pairWidth);
      bool dark = false;
      for (std::uint32_t x = 0; x < period_; x += cellX_, dark = !dark)
        std::fill_n(colours_ + x, cellX_, dark ? light ^ lightXorDark_ : light);
    } else {
      // Wide cells: one piece per cell (or per kPatternPixels), all light,
      // the dark ones by their flip.
      period_ = 0;
      std::fill_n(colours_, kPatternPixels, light);
    }
  }

  // Calls visit(piece) for the pieces that cover the pixels begin to end of
  // row y.
  template <typename Visit>
  void ForEachPiece(std::uint32_t y, std::uint32_t begin, std::uint32_t end, Visit&& visit) const {
    const std::uint32_t rowFlip = (y / cellY_) % 2 != 0 ? lightXorDark_ : 0;
    std::uint32_t x = begin;
    if (period_ != 0) {
      for (std::uint32_t phase = x % period_; x < end; phase = 0) {
        const std::uint32_t count = std::min(period_ - phase, end - x);
        visit(PatternPiece{x, count, colours_ + phase, rowFlip});
        x += count;
      }
      return;
    }
    std::uint32_t cell = x / cellX_;
    std::uint32_t offset = x % cellX_;
    while (x < end) {
      const std::uint32_t count = std::min({cellX_ - offset, kPatternPixels, end - x});
      visit(PatternPiece{x, count, colours_, cell % 2 != 0 ? rowFlip ^ lightXorDark_ : rowFlip});
      x += count;
      offset += count;
      if (offset == cellX_) {
        offset = 0;
        ++cell;
      }
    }
  }

 private:
  std::uint32_t colours_[kPatternPixels];
  std::uint32_t cellX_;
  std::uint32_t cellY_;
  std::uint32_t lightXorDark_;
  std::uint32_t period_;  // pixels of whole cell pairs in colours_, or 0 for wide cells
};

// What alpha 0 blends to: the pattern colours themselves.
void PutPatternColours(const PatternPiece& piece, std::uint8_t* out) {
  for (std::uint32_t i = 0; i < piece.count; ++i, out += 3) {
    const std::uint32_t colour = piece.colours[i] ^ piece.flip;
    out[0] = static_cast<std::uint8_t>(colour);
    out[1] = static_cast<std::uint8_t>(colour >> 8);
    out[2] = static_cast<std::uint8_t>(colour >> 16);
  }
}

void FlattenRowsFast(const Kernels& kernels, ByteView cel, const PicturePlan& plan,
                     const PluginSettings& settings, std::uint8_t* pixels) {
  const std::uint32_t width = plan.layout.width;
  const std::uint64_t rowBytes = CelBytesPerRow(width, 32);
  const std::size_t stride = static_cast<std::size_t>(plan.stride);
  const bool overChecker = settings.AlphaType == 0;
  const CheckerPattern checker(settings);
  for (std::uint32_t y = 0; y < plan.layout.height; ++y) {
    std::uint8_t* out = OutputRow(pixels, plan, y);
    const std::uint64_t start = plan.layout.pixelOffset + y * rowBytes;
    const std::uint64_t available = AvailableFrom(cel, start);
    // Only pixels wholly inside the data are read. The others lack their
    // alpha byte, so alpha is 0: the pattern colour, or white.
    const std::uint32_t whole =
        available / 4 < width ? static_cast<std::uint32_t>(available / 4) : width;
    const std::uint8_t* source = whole > 0 ? cel.data + static_cast<std::size_t>(start) : nullptr;
    std::size_t written = 0;
    if (overChecker) {
      checker.ForEachPiece(y, 0, whole, [&](const PatternPiece& piece) {
        kernels.blend(source + 4 * std::size_t{piece.x}, piece.colours, piece.flip, piece.count,
                      out + 3 * std::size_t{piece.x});
      });
      checker.ForEachPiece(y, whole, width, [&](const PatternPiece& piece) {
        PutPatternColours(piece, out + 3 * std::size_t{piece.x});
      });
      written = 3 * std::size_t{width};
    } else if (whole > 0) {
      kernels.keep(source, whole, out);
      written = 3 * std::size_t{whole};
    }
    // White for the rest: the padding, and with alpha ignored the pixels
    // past the data.
    std::memset(out + written, 0xFF, stride - written);
  }
}

}  // namespace

FlattenPaths AvailableFlattenPaths() {
  FlattenPaths paths{{FlattenPath::kPlain, FlattenPath::kPortable}, 2};
#if defined(TAMSA_X86_KERNELS)
  const CpuFeatures cpu = ReadCpuFeatures();
  if (cpu.ssse3) paths.path[paths.count++] = FlattenPath::kSsse3;
  if (cpu.ssse3 && cpu.avx2) paths.path[paths.count++] = FlattenPath::kAvx2;
#endif
  return paths;
}

FlattenPath FastestFlattenPath() {
  // Constant-initialised, so no guard: threads that race here all find the
  // same answer and store the same value.
  static std::atomic<int> chosen{-1};
  int path = chosen.load(std::memory_order_relaxed);
  if (path < 0) {
    const FlattenPaths paths = AvailableFlattenPaths();
    path = static_cast<int>(paths.path[paths.count - 1]);
    chosen.store(path, std::memory_order_relaxed);
  }
  return static_cast<FlattenPath>(path);
}

const char* FlattenPathName(FlattenPath path) {
  switch (path) {
    case FlattenPath::kPlain:
      return "plain";
    case FlattenPath::kPortable:
      return "portable";
    case FlattenPath::kSsse3:
      return "ssse3";
    case FlattenPath::kAvx2:
      return "avx2";
  }
  return "unknown";
}

void FlattenRows(FlattenPath path, ByteView cel, const PicturePlan& plan,
                 const PluginSettings& settings, std::uint8_t* pixels) {
  if (path == FlattenPath::kPlain) {
    FlattenRowsPlain(cel, plan, settings, pixels);
  } else {
    FlattenRowsFast(KernelsFor(path), cel, plan, settings, pixels);
  }
}
