// What the benchmark programs share: a fine clock, the process's CPU time,
// percentiles, the FIGURE line scripts/bench collects, and the path of a
// program built next to the benchmarks.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tc {
namespace bench {

inline double now_ms() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

// Kernel and user time of this process so far.
inline double process_cpu_ms() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

// Nearest-rank percentile; the median of an even count is the upper middle.
inline double percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t index =
      static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

inline double largest(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

inline void figure(const char* name, double value, const char* unit, const char* target) {
  std::printf("FIGURE\t%s\t%.3f\t%s\t%s\n", name, value, unit, target);
  std::fflush(stdout);
}

// A program of the bench folder (Windows path), e.g. "minimal_window.exe".
inline std::string bench_program(const char* file_name) {
  std::string path = "Z:" TC_BINARY_DIR "/bench/";
  path += file_name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace bench
}  // namespace tc
