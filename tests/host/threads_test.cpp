// The plug-in called from several threads at once, as viewers that make
// thumbnails or read ahead call it: every answer must be the one the same
// call gives alone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/decoded.h"
#include "host/plugin_host.h"
#include "support/settings_registry.h"
#include "support/test_files.h"

namespace {

// One call a host may make, and what it answered when made alone.
struct Call {
  enum Kind { kFileA, kFileW, kMemory, kInfoFile, kInfoMemory, kSupported } kind;
  std::string path;
  std::wstring widePath;
  Bytes bytes;
  Decoded picture;
  Bytes answer;  // GetPictureInfo's record or IsSupported's result, as bytes
};

class Threads : public PluginSuite {
 protected:
  // A set of its own colours: two palette files, cels of every kind, and a
  // configuration file, long or short.
  void MakeSet(const TempFolder& set, unsigned seed, bool longConfiguration) {
    set.Write("a.kcf", PaletteFile(12, 16, 1, Pattern(32, seed)));
    set.Write("b.kcf", PaletteFile(24, 256, 1, Pattern(768, seed + 1)));
    std::string cnf = "; set " + std::to_string(seed) + "\r\n%a.kcf\r\n%b.kcf\r\n";
    if (longConfiguration) {
      // About 2,000 long lines, cel lines among them, before the set's own.
      for (int i = 0; i < 1990; ++i) {
        cnf += i % 3 == 0 ? "#" + std::to_string(i) + " other" + std::to_string(i) +
                                ".cel *1 :0 ;" + std::string(180, 'c') + "\r\n"
                          : ";" + std::string(200, 'x') + "\r\n";
      }
    }
    cnf += "#1 four.cel *0 :0\r\n#2 eight.cel *1 :0\r\n#3 plain.cel *0\r\n#4 alpha.cel :0\r\n";
    set.Write("set.cnf", cnf);
    cels.push_back(set.Write("four.cel", HeadedCel(0x20, 4, 5, 3, Pattern(9, seed))));
    cels.push_back(set.Write("eight.cel", HeadedCel(0x20, 8, 7, 5, Pattern(35, seed))));
    cels.push_back(set.Write("plain.cel", HeaderlessCel(4, 4, Pattern(8, seed))));
    cels.push_back(set.Write("alpha.cel", HeadedCel(0x21, 32, 16, 16, Pattern(1024, seed))));
  }

  Call Make(Call::Kind kind, const std::string& path) {
    Call call;
    call.kind = kind;
    call.path = path;
    call.widePath = Widened(path);
    call.bytes = ReadBytes(path);
    call.bytes.resize(call.bytes.size() < 2048 ? 2048 : call.bytes.size(), 0);
    Run(call, &call.picture, &call.answer);
    return call;
  }

  static void Run(const Call& call, Decoded* picture, Bytes* answer) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    int code = 0;
    PictureInfo record;
    switch (call.kind) {
      case Call::kFileA:
        code = host->getPicture(call.path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
        *picture = TakeDecoded(code, info, pixels);
        return;
      case Call::kFileW:
        code = host->getPictureW(call.widePath.c_str(), 0, 0, &info, &pixels, nullptr, 0);
        *picture = TakeDecoded(code, info, pixels);
        return;
      case Call::kMemory:
        code = host->getPicture(reinterpret_cast<LPCSTR>(call.bytes.data()),
                                static_cast<LONG_PTR>(call.bytes.size()), 1, &info, &pixels,
                                nullptr, 0);
        *picture = TakeDecoded(code, info, pixels);
        return;
      case Call::kInfoFile:
      case Call::kInfoMemory: {
        std::memset(&record, 0, sizeof record);
        code = call.kind == Call::kInfoFile
                   ? host->getPictureInfoW(call.widePath.c_str(), 0, 0, &record)
                   : host->getPictureInfo(reinterpret_cast<LPCSTR>(call.bytes.data()),
                                          static_cast<LONG_PTR>(call.bytes.size()), 1, &record);
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&record);
        *answer = Bytes(raw, raw + sizeof record);
        answer->push_back(static_cast<std::uint8_t>(code));
        return;
      }
      case Call::kSupported:
        *answer = Bytes{static_cast<std::uint8_t>(
            host->isSupported(call.path.c_str(), reinterpret_cast<DWORD_PTR>(call.bytes.data())))};
        return;
    }
  }

  SettingsKeyGuard settings;
  std::vector<std::string> cels;
};

TEST_F(Threads, CallsAtOnceGiveTheAnswersOfCallsAlone) {
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0x204080));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 3));
  constexpr int kSets = 4;
  std::vector<std::unique_ptr<TempFolder>> sets;
  for (int s = 0; s < kSets; ++s) {
    sets.push_back(std::make_unique<TempFolder>());
    MakeSet(*sets.back(), static_cast<unsigned>(s * 17 + 1), s == 0);
    // Sets written long ago are answered from what earlier calls read;
    // sets just written are read afresh each time.
    if (s % 2 == 0) sets.back()->Settle();
  }
  std::vector<Call> calls;
  for (const std::string& cel : cels) {
    for (Call::Kind kind : {Call::kFileA, Call::kFileW, Call::kMemory, Call::kInfoFile,
                            Call::kInfoMemory, Call::kSupported})
      calls.push_back(Make(kind, cel));
  }
  // Every folder has colours of its own, so a palette taken from the wrong
  // folder or the wrong configuration file shows.
  for (int s = 1; s < kSets; ++s) {
    ASSERT_EQ(calls[0].picture.code, 0);
    EXPECT_NE(calls[0].picture.ColourTable(), calls[s * 4 * 6].picture.ColourTable()) << s;
  }

  constexpr int kThreads = 8;
  constexpr int kCallsEach = 400;
  std::vector<int> wrong(kThreads, 0);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(static_cast<unsigned>(t + 1));
      // Start together, so the calls overlap from the first.
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int i = 0; i < kCallsEach; ++i) {
        // Mostly the thread's own set, sometimes another's.
        const std::size_t set = random() % 4 == 0 ? random() % kSets : t % kSets;
        const std::size_t per = calls.size() / kSets;
        const Call& call = calls[set * per + random() % per];
        Decoded picture;
        Bytes answer;
        Run(call, &picture, &answer);
        if (picture != call.picture || answer != call.answer) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

}  // namespace
