#pragma once
// A tiny benchmark registry: each area adds its measurements with KLV_BENCH,
// and klevaria-bench runs them all and prints one summary line at the end.

#include <time.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace klv::bench {

struct Context {
  std::string gameDir;  // the built game folder (Data/, Sound/)
  // Adds a figure to the summary line as name=value.
  void Report(const std::string& name, double value);
  std::vector<std::pair<std::string, double>> figures;
};

using BenchFn = std::function<void(Context&)>;
int Register(const std::string& name, BenchFn fn);
std::vector<std::pair<std::string, BenchFn>>& Registry();

inline double NowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// CPU time of the calling thread: unlike the wall clock, it does not count
// the time other processes had the core, so it holds on a busy machine.
inline double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

}  // namespace klv::bench

#define KLV_BENCH_CAT2(a, b) a##b
#define KLV_BENCH_CAT(a, b) KLV_BENCH_CAT2(a, b)
#define KLV_BENCH(name)                                                   \
  static void KLV_BENCH_CAT(bench_fn_, __LINE__)(::klv::bench::Context&); \
  static int KLV_BENCH_CAT(bench_reg_, __LINE__) =                        \
      ::klv::bench::Register(name, KLV_BENCH_CAT(bench_fn_, __LINE__));   \
  static void KLV_BENCH_CAT(bench_fn_, __LINE__)(::klv::bench::Context & ctx)
