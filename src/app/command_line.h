#pragma once
// The program's few command-line options, read before any window opens, so
// that --help and --version work without a display.

#include <iosfwd>
#include <string>

namespace klv {

// Handles the options. Returns -1 when the game should start, or the exit
// status when it should not: 0 after --help or --version, 2 for anything else
// (the reason goes to `err`).
int HandleCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

const char* UsageText();

// Whether the arguments ask to play a replay (--replay FILE, then --check to
// play it without a window and compare its end with the file's).
bool ReplayRequested(int argc, const char* const* argv, std::string& file, bool& check);

}  // namespace klv
