// Pixel conversion of a 2048 x 2048 cel: the 32-bit flattening by every path
// this processor runs, for both alpha rules, beside a memcpy of the cel's
// pixel bytes in the same run; then the 4-bit and 8-bit row copies. After
// the table each result is printed as a multiple of the memcpy's time.
//
// The flattening benchmarks write into a block that stays mapped; the
// "fresh block" ones take a new zeroed block per call, as GetPicture hands
// the decoder one, so that its page faults are counted too.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cel/convert.h"
#include "cel/flatten.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::uint16_t kSide = 2048;
constexpr const char* kMemcpyName = "Memcpy32BitCelBytes";

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
  // Varied colours and alphas: every byte from the same sequence.
  std::uint32_t seed = 12345;
  for (std::size_t i = 32; i < cel.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    cel[i] = static_cast<std::uint8_t>(seed >> 16);
  }
  return cel;
}

const std::vector<std::uint8_t>& Cel(std::uint8_t bitsPerPixel) {
  static const std::vector<std::uint8_t> cel4 = MakeCel(4);
  static const std::vector<std::uint8_t> cel8 = MakeCel(8);
  static const std::vector<std::uint8_t> cel32 = MakeCel(32);
  return bitsPerPixel == 32 ? cel32 : bitsPerPixel == 8 ? cel8 : cel4;
}

void CountBytes(benchmark::State& state, std::size_t celPixelBytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(celPixelBytes));
}

void Memcpy(benchmark::State& state) {
  const std::vector<std::uint8_t>& cel = Cel(32);
  std::vector<std::uint8_t> copy(cel.size() - 32);
  for (auto _ : state) {
    std::memcpy(copy.data(), cel.data() + 32, copy.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  CountBytes(state, copy.size());
}

PicturePlan Plan(const std::vector<std::uint8_t>& cel) {
  PicturePlan plan{};
  PlanPicture(ByteView{cel.data(), cel.size()}, &plan);
  return plan;
}

PluginSettings Rule(std::uint32_t alphaType) {
  PluginSettings settings;
  settings.AlphaType = alphaType;
  return settings;
}

void Flatten(benchmark::State& state, FlattenPath path, std::uint32_t alphaType) {
  const std::vector<std::uint8_t>& cel = Cel(32);
  const ByteView view{cel.data(), cel.size()};
  const PicturePlan plan = Plan(cel);
  const PluginSettings settings = Rule(alphaType);
  std::vector<std::uint8_t> pixels(plan.pixelBytes);
  for (auto _ : state) {
    FlattenRows(path, view, plan, settings, pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  CountBytes(state, cel.size() - 32);
}

// A block of zero pages just mapped, as the system hands a large LocalAlloc
// block to GetPicture: the first write to each page faults. (A freed block
// that malloc kept would come back already touched.)
class FreshBlock {
 public:
  explicit FreshBlock(std::size_t size) : size_(size) {
#if defined(__unix__) || defined(__APPLE__)
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    bytes_ = block == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(block);
#else
    bytes_ = static_cast<std::uint8_t*>(std::calloc(size, 1));
#endif
  }
  ~FreshBlock() {
    if (bytes_ == nullptr) return;
#if defined(__unix__) || defined(__APPLE__)
    munmap(bytes_, size_);
#else
    std::free(bytes_);
#endif
  }
  FreshBlock(const FreshBlock&) = delete;
  FreshBlock& operator=(const FreshBlock&) = delete;
  std::uint8_t* Bytes() const { return bytes_; }

 private:
  std::size_t size_;
  std::uint8_t* bytes_;
};

// As GetPicture: ConvertPixels into a fresh block for every call.
void ConvertIntoFreshBlock(benchmark::State& state, std::uint32_t alphaType) {
  const std::vector<std::uint8_t>& cel = Cel(32);
  const ByteView view{cel.data(), cel.size()};
  const PicturePlan plan = Plan(cel);
  const PluginSettings settings = Rule(alphaType);
  for (auto _ : state) {
    const FreshBlock pixels(static_cast<std::size_t>(plan.pixelBytes));
    if (pixels.Bytes() == nullptr) {
      state.SkipWithError("no memory");
      break;
    }
    ConvertPixels(view, plan, settings, pixels.Bytes());
    benchmark::DoNotOptimize(pixels.Bytes());
    benchmark::ClobberMemory();
  }
  CountBytes(state, cel.size() - 32);
}

// The page faults alone: a memcpy of the cel's bytes into a fresh block.
void MemcpyIntoFreshBlock(benchmark::State& state) {
  const std::vector<std::uint8_t>& cel = Cel(32);
  for (auto _ : state) {
    const FreshBlock copy(cel.size() - 32);
    if (copy.Bytes() == nullptr) {
      state.SkipWithError("no memory");
      break;
    }
    std::memcpy(copy.Bytes(), cel.data() + 32, cel.size() - 32);
    benchmark::DoNotOptimize(copy.Bytes());
    benchmark::ClobberMemory();
  }
  CountBytes(state, cel.size() - 32);
}

void CopyRows(benchmark::State& state, std::uint8_t bitsPerPixel) {
  const std::vector<std::uint8_t>& cel = Cel(bitsPerPixel);
  const ByteView view{cel.data(), cel.size()};
  const PicturePlan plan = Plan(cel);
  std::vector<std::uint8_t> pixels(plan.pixelBytes);
  for (auto _ : state) {
    ConvertPixels(view, plan, PluginSettings{}, pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  CountBytes(state, cel.size() - 32);
}

// The console table, and afterwards every run's time over the memcpy's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        times_.push_back(
            {run.benchmark_name(), run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()});
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    const Times* memcpyTimes = nullptr;
    for (const Times& times : times_) {
      if (times.name == kMemcpyName) memcpyTimes = &times;
    }
    if (memcpyTimes == nullptr || memcpyTimes->real <= 0 || memcpyTimes->cpu <= 0) return;
    std::printf("\nTimes over %s of the same run:\n%-44s %8s %8s\n", kMemcpyName, "", "real",
                "cpu");
    for (const Times& times : times_) {
      std::printf("%-44s %7.2fx %7.2fx\n", times.name.c_str(), times.real / memcpyTimes->real,
                  times.cpu / memcpyTimes->cpu);
    }
  }

 private:
  struct Times {
    std::string name;
    double real;
    double cpu;  // of the whole process, the kernel's page faults included
  };
  std::vector<Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark(kMemcpyName, Memcpy)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Memcpy32BitCelBytes/fresh block", MemcpyIntoFreshBlock)
      ->Unit(benchmark::kMillisecond);
  const std::pair<std::uint32_t, const char*> rules[] = {{0, "OverChecker"}, {1, "AlphaIgnored"}};
  for (const auto& [alphaType, rule] : rules) {
    for (FlattenPath path : AvailableFlattenPaths()) {
      const std::string name = std::string("Flatten32") + rule + "/" + FlattenPathName(path);
      benchmark::RegisterBenchmark(name.c_str(), Flatten, path, alphaType)
          ->Unit(benchmark::kMillisecond);
    }
    const std::string fresh =
        std::string("Flatten32") + rule + "/fresh block/" + FlattenPathName(FastestFlattenPath());
    benchmark::RegisterBenchmark(fresh.c_str(), ConvertIntoFreshBlock, alphaType)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("Copy8", CopyRows, std::uint8_t{8})->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Copy4", CopyRows, std::uint8_t{4})->Unit(benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
