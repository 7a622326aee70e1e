// klevaria-script: runs the game on the headless platform from a script.
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/script_runner.h"
#include "platform/ttf_fonts.h"

int main(int argc, char** argv) {
  klv::ScriptOptions options;
  std::string scriptPath;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::cout << klv::ScriptRunner::Help();
      return 0;
    } else if (!std::strcmp(argv[i], "--appdir") && i + 1 < argc) {
      options.appDir = argv[++i];
    } else if (!std::strcmp(argv[i], "--score-service") && i + 1 < argc) {
      options.scoreService = argv[++i];
    } else if (scriptPath.empty() && argv[i][0] != '-') {
      scriptPath = argv[i];
    } else {
      std::cerr << klv::ScriptRunner::Help();
      return 2;
    }
  }
  if (scriptPath.empty()) {
    std::cerr << klv::ScriptRunner::Help();
    return 2;
  }
  std::ifstream in(scriptPath);
  if (!in) {
    std::cerr << "klevaria-script: cannot read " << scriptPath << "\n";
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  // fontconfig's files are read on a thread meanwhile the pictures load.
  klv::TtfFonts::StartLookup();
  klv::ScriptRunner runner(options);
  return runner.Run(text.str(), std::cout, std::cerr);
}
