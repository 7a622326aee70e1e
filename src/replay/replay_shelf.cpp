#include "replay/replay_shelf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace klv {
namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string ReplayShelf::PathOf(int number) const {
  char name[32];
  std::snprintf(name, sizeof name, "table-%02d.klr", number);
  return dir_ + name;
}

std::vector<std::string> ReplayShelf::Match(const std::vector<ShelfRow>& rows) const {
  std::vector<std::string> paths(rows.size());
  for (int n = 1; n <= kMaxFiles; ++n) {
    const std::string path = PathOf(n);
    if (!Exists(path)) continue;
    ReplayResult result;
    try {
      result = ReadReplayFile(path).Result;
    } catch (const ReplayError&) {
      continue;  // damaged: no row's
    }
    for (size_t r = 0; r < rows.size(); ++r) {
      if (paths[r].empty() && rows[r].Name == result.Name && rows[r].Score == result.Score) {
        paths[r] = path;
        break;
      }
    }
  }
  return paths;
}

void ReplayShelf::Prune(const std::vector<ShelfRow>& rows) const {
  const std::vector<std::string> kept = Match(rows);
  for (int n = 1; n <= kMaxFiles; ++n) {
    const std::string path = PathOf(n);
    bool belongs = false;
    for (const std::string& k : kept) belongs = belongs || k == path;
    if (!belongs) unlink(path.c_str());
  }
}

void ReplayShelf::Clear() const {
  for (int n = 1; n <= kMaxFiles; ++n) unlink(PathOf(n).c_str());
}

std::string ReplayShelf::Keep(const ReplayFile& replay) const {
  if (mkdir(dir_.c_str(), 0755) != 0 && errno != EEXIST)
    throw ReplayError(dir_ + ": " + std::strerror(errno));
  for (int n = 1; n <= kMaxFiles; ++n) {
    const std::string path = PathOf(n);
    if (Exists(path)) continue;
    WriteReplayFile(path, replay);
    return path;
  }
  throw ReplayError(dir_ + ": no room for another replay of the table");
}

}  // namespace klv
