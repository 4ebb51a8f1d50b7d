// tamsadoll called from several threads at once, as viewers that make
// thumbnails call it: every answer must be the one the same call gives
// alone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "doll/doll_host.h"

namespace {

// One call a host may make, and what it answered when made alone.
struct Call {
  enum Kind { kPicture, kPictureW, kPage, kPageW, kInfo, kSupported } kind;
  std::string path;
  int page = 0;
  Decoded picture;
  Bytes answer;  // GetPictureInfo's record or IsSupported's result, as bytes
};

class DollThreads : public DollSuite {
 protected:
  static void Run(const Call& call, Decoded* picture, Bytes* answer) {
    const std::wstring wide = Widened(call.path);
    switch (call.kind) {
      case Call::kPicture:
        *picture = Picture(call.path);
        return;
      case Call::kPictureW:
        *picture = PictureW(wide);
        return;
      case Call::kPage:
        *picture = Page(call.path, call.page);
        return;
      case Call::kPageW:
        *picture = PageW(wide, call.page);
        return;
      case Call::kInfo: {
        PictureInfo info;
        std::memset(&info, 0xCC, sizeof info);
        const int code = doll->getPictureInfoW(wide.c_str(), 0, 0, &info);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&info);
        answer->assign(bytes, bytes + sizeof info);
        answer->push_back(static_cast<std::uint8_t>(code));
        return;
      }
      case Call::kSupported: {
        Bytes head = ReadBytes(call.path);
        head.resize(2048, 0);
        answer->assign(1, static_cast<std::uint8_t>(doll->isSupported(
                              call.path.c_str(), reinterpret_cast<DWORD_PTR>(head.data()))));
        return;
      }
    }
  }
};

// The made-up set with its objects placed by seed, and a page of its own.
std::string SeededConfiguration(int seed) {
  return "(" + std::to_string(8 + seed) +
         ",6)\r\n%p.kcf\r\n%q.kcf\r\n#0 top.cel *0\r\n"
         "#1 under.cel *1\r\n#2 hidden.cel :1 2\r\n$0 " +
         std::to_string(seed % 4) + ",1 " + std::to_string(seed) + "," + std::to_string(seed % 3) +
         "\r\n$1 * 2,2 1,1\r\n$1 3,3\r\n";
}

TEST_F(DollThreads, EveryAnswerIsTheOneGivenAlone) {
  constexpr int kSets = 6;
  std::vector<std::unique_ptr<TempFolder>> folders;
  std::vector<Call> calls;
  for (int seed = 0; seed < kSets; ++seed) {
    folders.push_back(std::make_unique<TempFolder>());
    const std::string path = TinySet::Write(*folders.back(), "", SeededConfiguration(seed));
    for (const Call::Kind kind : {Call::kPicture, Call::kPictureW, Call::kPage, Call::kPageW,
                                  Call::kInfo, Call::kSupported}) {
      Call call{kind, path, seed % 3, {}, {}};
      Run(call, &call.picture, &call.answer);
      calls.push_back(call);
    }
  }
  // The sets differ, so a mixed-up answer shows.
  EXPECT_NE(calls[0].picture, calls[6].picture);
  for (const Call& call : calls) {
    if (call.kind == Call::kInfo || call.kind == Call::kSupported) {
      EXPECT_EQ(call.answer.back(), call.kind == Call::kInfo ? 0 : 1);
    } else {
      EXPECT_EQ(call.picture.code, 0);
    }
  }

  constexpr int kThreads = 6;
  constexpr int kRounds = 60;
  std::atomic<int> mismatches{0};
  std::atomic<int> made{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        // Each thread walks the calls in its own order.
        const Call& call = calls[(round * (t + 1) + t * 7) % calls.size()];
        Decoded picture;
        Bytes answer;
        Run(call, &picture, &answer);
        if (picture != call.picture || answer != call.answer) ++mismatches;
        ++made;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(made.load(), kThreads * kRounds);
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
