#pragma once
// Checks print a screen by the name the scripts give it.

#include <ostream>

#include "app/script_runner.h"
#include "base/screen.h"

namespace klv {

inline void PrintTo(Screen screen, std::ostream* os) {
  *os << '"' << ScriptRunner::ScreenName(screen) << '"';
}

}  // namespace klv
