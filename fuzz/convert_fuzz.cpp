// Cels of any bytes through the decoder's core: layout, sizes, header and
// pixel conversion must stay within the data and within the blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "cel/convert.h"
#include "cel/flatten.h"
#include "fuzz/fuzz_support.h"

namespace {

// Pictures larger than this are planned but not converted, to keep each run
// quick and within the fuzzer's memory limit.
constexpr std::uint64_t kLargestBlock = std::uint64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the settings; the rest is the cel, in a block of
  // exactly its size so that any read past it is reported.
  if (size < 1) return 0;
  PluginSettings settings;
  settings.AlphaType = data[0] & 1;
  settings.GridSizeX = static_cast<std::int8_t>(data[0]) >> 1;
  settings.GridSizeY = (data[0] >> 4) - 4;
  settings.ColorLight = 0x01020304u * data[0];
  const std::size_t celSize = size - 1;
  std::unique_ptr<std::uint8_t[]> cel(new std::uint8_t[celSize]);
  if (celSize != 0) std::memcpy(cel.get(), data + 1, celSize);
  const ByteView view{cel.get(), celSize};

  PicturePlan plan{};
  if (!PlanPicture(view, &plan)) return 0;
  Require(plan.stride % 4 == 0 && plan.pixelBytes == plan.stride * plan.layout.height,
          "rows are whole 32-bit words and the block holds every row");
  if (!FitsIn32Bits(plan) || plan.pixelBytes > kLargestBlock) return 0;

  std::unique_ptr<std::uint8_t[]> info(new std::uint8_t[plan.infoBytes]());
  std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[plan.pixelBytes]());
  WriteInfoHeader(info.get(), plan);
  ConvertPixels(view, plan, settings, pixels.get());

  // Every flattening path equals the plain one and writes every byte, even
  // in a block that does not start out zero.
  if (plan.rule.conversion == PixelConversion::kFlatten32 && plan.pixelBytes != 0) {
    const std::size_t pixelBytes = static_cast<std::size_t>(plan.pixelBytes);
    std::unique_ptr<std::uint8_t[]> plain(new std::uint8_t[pixelBytes]());
    FlattenRows(FlattenPath::kPlain, view, plan, settings, plain.get());
    std::unique_ptr<std::uint8_t[]> fast(new std::uint8_t[pixelBytes]);
    for (FlattenPath path : AvailableFlattenPaths()) {
      std::memset(fast.get(), 0x5A, pixelBytes);
      FlattenRows(path, view, plan, settings, fast.get());
      if (std::memcmp(fast.get(), plain.get(), pixelBytes) != 0) std::abort();
    }
  }
  return 0;
}
