#include "app/command_line.h"

#include <ostream>
#include <string>

namespace klv {

const char* UsageText() {
  return "Usage: klevaria [OPTION]\n"
         "Клевария (Klevaria), an arcade fishing game: walk the pier, lower the hook\n"
         "and let it rise to catch the fish each level asks for before time runs out.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "      --replay FILE  a recorded game (every game is kept in replays/ beside\n"
         "                     Config.cfg); give --check after it\n"
         "      --check        after --replay FILE: play it without a window as fast as\n"
         "                     it goes, print how it ended; exit 0 when that is what\n"
         "                     the file says\n"
         "\n"
         "Walk with the arrows or the mouse; hold Ctrl, Down, Space or the left button\n"
         "to lower the hook. P pauses, Esc leaves a game, Alt+Enter toggles the full\n"
         "screen. A gamepad's stick or D-pad walks and moves through the menus, A acts\n"
         "as Enter, B as Esc and Start as P.\n"
         "Settings and scores: ~/.local/share/Klevaria/klevaria/Config.cfg\n";
}

bool ReplayRequested(int argc, const char* const* argv, std::string& file, bool& check) {
  if (argc < 3 || argc > 4 || std::string(argv[1]) != "--replay") return false;
  if (argc == 4 && std::string(argv[3]) != "--check") return false;
  file = argv[2];
  check = argc == 4;
  return true;
}

int HandleCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  if (argc <= 1) return -1;
  const std::string first = argv[1];
  std::string replayFile;
  bool check = false;
  if (ReplayRequested(argc, argv, replayFile, check)) return -1;
  if (first == "--replay") {
    err << "klevaria: --replay takes a file, and then --check or nothing\n";
    err << "Try 'klevaria --help' for more information.\n";
    return 2;
  }
  const bool help = first == "-h" || first == "--help";
  const bool version = first == "--version";
  if (argc == 2 && help) {
    out << UsageText();
    return 0;
  }
  if (argc == 2 && version) {
    out << "klevaria " << KLV_VERSION << "\n";
    return 0;
  }
  if (help || version)
    err << "klevaria: '" << first << "' takes no other arguments\n";
  else if (first.size() > 1 && first[0] == '-')
    err << "klevaria: unknown option '" << first << "'\n";
  else
    err << "klevaria: unexpected argument '" << first << "'\n";
  err << "Try 'klevaria --help' for more information.\n";
  return 2;
}

}  // namespace klv
