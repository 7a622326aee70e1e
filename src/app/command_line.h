#pragma once
// The program's few command-line options, read before any window opens, so
// that --help and --version work without a display.

#include <iosfwd>
#include <optional>
#include <string>

namespace klv {

// What the command line asks of the game that starts.
struct StartOptions {
  std::optional<std::string> ScoreService;  // --score-service URL ("" none)
  std::optional<std::string> ReplayFile;    // --replay FILE: a recorded game to play
  bool Check = false;                       // --check: replay it without a window
  // --windowed (true) or --fullscreen (false): the window mode to start in,
  // kept as the options screen's choice would be.
  std::optional<bool> Windowed;
};

// Handles the options. Returns -1 when the game should start, or the exit
// status when it should not: 0 after --help or --version, 2 for anything else
// (the reason goes to `err`).
// `options`, when given, receives what the game should start with.
int HandleCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                      StartOptions* options = nullptr);

const char* UsageText();

}  // namespace klv
