// klevaria-bench: runs every registered measurement and prints the summary
// line `bench: name=value ...` last.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench.h"

namespace klv::bench {

void Context::Report(const std::string& name, double value) {
  figures.emplace_back(name, value);
  std::printf("  %s = %.3f\n", name.c_str(), value);
  std::fflush(stdout);
}

std::vector<std::pair<std::string, BenchFn>>& Registry() {
  static std::vector<std::pair<std::string, BenchFn>> registry;
  return registry;
}

int Register(const std::string& name, BenchFn fn) {
  Registry().emplace_back(name, std::move(fn));
  return 0;
}

}  // namespace klv::bench

int main(int argc, char** argv) {
  klv::bench::Context ctx;
  ctx.gameDir = "build/bench/game";
  std::string only;
  std::string extra;  // figures measured outside, as "name=value name=value"
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--game-dir") && i + 1 < argc)
      ctx.gameDir = std::filesystem::absolute(argv[++i]).string();
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
      only = argv[++i];
    else if (!std::strcmp(argv[i], "--extra") && i + 1 < argc)
      extra = argv[++i];
  }
  for (auto& [name, fn] : klv::bench::Registry()) {
    if (!only.empty() && name.find(only) == std::string::npos) continue;
    std::printf("%s\n", name.c_str());
    fn(ctx);
  }
  std::string line = "bench:";
  for (auto& [k, v] : ctx.figures) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %s=%.3f", k.c_str(), v);
    line += buf;
  }
  if (!extra.empty()) line += " " + extra;
  std::printf("%s\n", line.c_str());
  return 0;
}
