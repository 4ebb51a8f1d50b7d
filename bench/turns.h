// Timing pieces of work in turns, round after round in one process, so that
// all see the same machine: the medians of their times, and the ratio of two.
// Windows only (the performance counter).
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

inline double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Pieces of work timed in turns, round after round, so that all see the same
// machine; the medians of their round times, in microseconds.
inline std::vector<double> TimeEachInTurns(const std::vector<std::function<void()>>& works,
                                           int rounds) {
  std::vector<std::vector<double>> times(works.size());
  auto timed = [&](std::size_t i) {
    const double start = Now();
    works[i]();
    return Now() - start;
  };
  for (std::size_t i = 0; i < works.size(); ++i)
    timed(i);  // whatever a first use brings (caches, pages) is in place
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < works.size(); ++i) times[i].push_back(timed(i));
  }
  std::vector<double> medians;
  for (std::vector<double>& each : times) {
    std::sort(each.begin(), each.end());
    medians.push_back(each[each.size() / 2] * 1e6);
  }
  return medians;
}

struct Pair {
  double first;
  double second;
  double Ratio() const { return first / second; }
};
inline Pair TimeInTurns(const std::function<void()>& first, const std::function<void()>& second,
                        int rounds) {
  const std::vector<double> medians = TimeEachInTurns({first, second}, rounds);
  return {medians[0], medians[1]};
}
