#include "platform/player_dirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace klv {
namespace {

bool IsAbsolute(const char* path) {
  return path && path[0] == '/';
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// 0 when path is a folder, else why not.
int FolderError(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// Makes each missing folder of `below` under `base` (which must exist), as
// private folders; 0 or the first failure.
int MakeFolders(const std::string& base, const std::string& below) {
  std::string path = base == "/" ? "" : base;
  size_t at = 0;
  while (at < below.size()) {
    size_t end = below.find('/', at);
    if (end == std::string::npos) end = below.size();
    if (end > at) {
      path += "/" + below.substr(at, end - at);
      if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
      if (int e = FolderError(path)) return e;
    }
    at = end + 1;
  }
  return 0;
}

}  // namespace

std::string HomeDir() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 && size < (1 << 20) ? size_t(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  if (found && IsAbsolute(found->pw_dir)) return found->pw_dir;
  return {};
}

PlayerDataDir MakePlayerDataDir(const char* xdgDataHome, const std::string& home) {
  constexpr const char* kGameFolder = "Klevaria/klevaria";
  PlayerDataDir result;
  std::string base;
  std::string below;
  if (IsAbsolute(xdgDataHome)) {
    base = "/";
    below = std::string(xdgDataHome) + "/" + kGameFolder;
  } else if (IsAbsolute(home.c_str())) {
    base = WithoutTrailingSlashes(home);
    below = std::string(".local/share/") + kGameFolder;
  } else {
    result.Error = ENOENT;
    return result;
  }
  const std::string dir = WithoutTrailingSlashes(base == "/" ? below : base + "/" + below);
  int error = base == "/" ? 0 : FolderError(base);
  if (error == 0) error = MakeFolders(base, below);
  if (error == 0 && ::access(dir.c_str(), W_OK | X_OK) != 0) error = errno;
  if (error != 0) {
    result.Tried = dir;
    result.Error = error;
    return result;
  }
  result.Dir = dir + "/";
  return result;
}

PlayerDataDir FindPlayerDataDir() {
  return MakePlayerDataDir(std::getenv("XDG_DATA_HOME"), HomeDir());
}

}  // namespace klv
