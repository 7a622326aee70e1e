#pragma once
// Where the game's data lies: beside the program (the build's game folder, or
// a game folder copied anywhere), or where an install put it, found by the
// way from the program's folder to the data folder the build was configured
// with (../share/klevaria, ../share/games/klevaria, ...). Being relative, the
// way holds for a moved install tree or an unpacked package too.

#include <string>

namespace klv {

// The configured way from the program's folder to the installed data folder.
const char* DataDirFromProgram();

// programDir and the result end with '/'. Returns programDir when neither
// place holds a Data folder, so that the start-up names what is missing there.
std::string FindAppDir(const std::string& programDir);

}  // namespace klv
