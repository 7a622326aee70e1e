#include "app/app_dir.h"

#include <sys/stat.h>

namespace klv {
namespace {

bool IsDir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

const char* DataDirFromProgram() {
  return KLV_DATA_FROM_BIN;
}

std::string FindAppDir(const std::string& programDir) {
  if (IsDir(programDir + "Data")) return programDir;
  std::string installed = programDir + DataDirFromProgram();
  if (installed.empty() || installed.back() != '/') installed += '/';
  if (IsDir(installed + "Data")) return installed;
  return programDir;
}

}  // namespace klv
