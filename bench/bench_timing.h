#pragma once
// A small timing harness: the median of repeated runs, side by side with a floor measured in
// the same process, so that ratios hold on whatever machine runs them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

template <typename Work>
double MedianMilliseconds(int runs, Work&& work) {
  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<std::size_t>(runs / 2)];
}

inline bool ReportRatio(const char* what, double measured, const char* floorName, double floor,
                        double goal) {
  const double ratio = measured / floor;
  const bool met = ratio <= goal;
  std::printf("%-34s %9.3f ms   %-34s %9.3f ms   ratio %.3f (goal <= %.2f) %s\n", what, measured,
              floorName, floor, ratio, goal, met ? "met" : "NOT MET");
  return met;
}
