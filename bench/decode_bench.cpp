// Pixel conversion of a large cel: 32-bit flattening in both alpha modes and
// the 4-bit and 8-bit row copies.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "cel/convert.h"

namespace {

constexpr std::uint16_t kSide = 2048;

std::vector<std::uint8_t> MakeCel(std::uint8_t bitsPerPixel) {
  const std::uint64_t rows = CelBytesPerRow(kSide, bitsPerPixel) * kSide;
  std::vector<std::uint8_t> cel(32 + rows);
  cel[0] = 'K';
  cel[1] = 'i';
  cel[2] = 'S';
  cel[3] = 'S';
  cel[4] = bitsPerPixel == 32 ? 0x21 : 0x20;
  cel[5] = bitsPerPixel;
  cel[8] = kSide & 0xFF;
  cel[9] = kSide >> 8;
  cel[10] = kSide & 0xFF;
  cel[11] = kSide >> 8;
  // Varied colours, alpha from clear to opaque across each row.
  std::uint32_t seed = 12345;
  for (std::size_t i = 32; i < cel.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    cel[i] = static_cast<std::uint8_t>(seed >> 16);
  }
  return cel;
}

void Convert(benchmark::State& state, std::uint8_t bitsPerPixel, std::uint32_t alphaType) {
  const std::vector<std::uint8_t> cel = MakeCel(bitsPerPixel);
  const ByteView view{cel.data(), cel.size()};
  PicturePlan plan{};
  if (!PlanPicture(view, &plan)) {
    state.SkipWithError("cel not served");
    return;
  }
  PluginSettings settings;
  settings.AlphaType = alphaType;
  std::vector<std::uint8_t> pixels(plan.pixelBytes);
  for (auto _ : state) {
    ConvertPixels(view, plan, settings, pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(cel.size() - 32));
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kSide * kSide, benchmark::Counter::kIsRate);
}

void Flatten32OverChecker(benchmark::State& state) { Convert(state, 32, 0); }
void Flatten32AlphaIgnored(benchmark::State& state) { Convert(state, 32, 1); }
void Copy8(benchmark::State& state) { Convert(state, 8, 0); }
void Copy4(benchmark::State& state) { Convert(state, 4, 0); }

BENCHMARK(Flatten32OverChecker)->Unit(benchmark::kMillisecond);
BENCHMARK(Flatten32AlphaIgnored)->Unit(benchmark::kMillisecond);
BENCHMARK(Copy8)->Unit(benchmark::kMillisecond);
BENCHMARK(Copy4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
