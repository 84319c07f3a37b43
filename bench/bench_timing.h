#pragma once
// A small timing harness: the median of repeated runs, side by side with a floor measured in
// the same process, so that ratios hold on whatever machine runs them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
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

// The medians of two pieces of work run in turn, so that a slow spell of the machine or the
// disk falls on both alike.
template <typename Work, typename Floor>
std::pair<double, double> InterleavedMedianMilliseconds(int runs, Work&& work, Floor&& floor) {
  std::vector<double> workTimes, floorTimes;
  for (int i = 0; i < runs; ++i) {
    workTimes.push_back(MedianMilliseconds(1, work));
    floorTimes.push_back(MedianMilliseconds(1, floor));
  }
  const auto median = [runs](std::vector<double>& times) {
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs / 2)];
  };
  return {median(workTimes), median(floorTimes)};
}

inline bool ReportRatio(const char* what, double measured, const char* floorName, double floor,
                        double goal) {
  const double ratio = measured / floor;
  const bool met = ratio <= goal;
  std::printf("%-34s %9.3f ms   %-34s %9.3f ms   ratio %.3f (goal <= %.2f) %s\n", what, measured,
              floorName, floor, ratio, goal, met ? "met" : "NOT MET");
  return met;
}
