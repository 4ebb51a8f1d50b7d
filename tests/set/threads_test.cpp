// Hosts fetch members from threads of their own: six threads at once, each
// listing the sample archives and fetching every member, from the file and
// from memory, get what single calls get.
#include <thread>

#include "set/set_host.h"

namespace {

using SetThreads = SetSuite;

TEST_F(SetThreads, CallsAtOnceGiveTheSingleCallsAnswers) {
  const std::vector<std::string> paths = {kSamples + "\\archives\\mira.zip",
                                          kSamples + "\\archives\\mira.lzh",
                                          kSampleSet + "\\mira.cnf"};
  std::vector<std::vector<Bytes>> single(paths.size());
  for (std::size_t p = 0; p < paths.size(); ++p) {
    const Listed<ArchiveFileInfo> listed = List(paths[p]);
    ASSERT_EQ(listed.code, 0);
    for (const ArchiveFileInfo& info : listed.records) {
      Bytes file;
      ASSERT_EQ(Fetch(paths[p].c_str(), static_cast<LONG_PTR>(info.position), 0, &file), 0);
      single[p].push_back(file);
    }
  }
  const Bytes zip = ReadBytes(paths[0]);
  std::vector<int> mismatches(6, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) {
        for (std::size_t p = 0; p < paths.size(); ++p) {
          const std::size_t which = (p + t) % paths.size();
          if (List(paths[which]).records.size() != single[which].size()) ++mismatches[t];
          for (std::size_t i = 0; i < single[which].size(); ++i) {
            Bytes file;
            if (Fetch(paths[which].c_str(), static_cast<LONG_PTR>(i), 0, &file) != 0 ||
                file != single[which][i])
              ++mismatches[t];
          }
        }
        // From memory: the same bytes listed by every thread.
        if (ListMemory(zip).records.size() != single[0].size()) ++mismatches[t];
        for (std::size_t i = 0; i < single[0].size(); ++i) {
          Bytes file;
          const auto* start = reinterpret_cast<LPCSTR>(zip.data());
          if (Fetch(start + i, static_cast<LONG_PTR>(zip.size() - i), 1, &file) != 0 ||
              file != single[0][i])
            ++mismatches[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 6; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
