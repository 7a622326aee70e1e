#include "app/command_line.h"

#include <ostream>
#include <string>

#include "app/user_settings.h"

namespace klv {

const char* UsageText() {
  return "Usage: klevaria [OPTION]\n"
         "Клевария (Klevaria), an arcade fishing game: walk the pier, lower the hook\n"
         "and let it rise to catch the fish each level asks for before time runs out.\n"
         "\n"
         "  -h, --help               show this help and exit\n"
         "      --version            show the version and exit\n"
         "      --fullscreen         start in full screen, and keep that as the setting\n"
         "      --windowed           start in a window, and keep that as the setting\n"
         "      --score-service URL  the world table's address (http:// or https://;\n"
         "                           \"\" for none), instead of the settings file's\n"
         "      --replay FILE        show a recorded game in a window (P pauses, F plays\n"
         "                           it 4x, Esc ends it); the table's games and the last\n"
         "                           one played are kept in replays/ beside Config.cfg\n"
         "      --check              after --replay FILE: play it without a window as\n"
         "                           fast as it goes, print how it ended; exit 0 when\n"
         "                           that is what the file says\n"
         "\n"
         "Walk with the arrows or the mouse; hold Ctrl, Down, Space or the left button\n"
         "to lower the hook. P pauses, Esc leaves a game, Alt+Enter toggles the full\n"
         "screen, F11 minimises the window, keypad - and + slow and speed the game.\n"
         "A gamepad's stick or D-pad walks and moves through the menus, A acts as\n"
         "Enter, B as Esc and Start as P.\n"
         "Settings and scores: ~/.local/share/Klevaria/klevaria/Config.cfg\n"
         "World table: a line \"score-service = URL\" in ~/.config/klevaria/settings\n";
}

int HandleCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                      StartOptions* options) {
  if (options) *options = StartOptions{};
  if (argc <= 1) return -1;
  const std::string first = argv[1];
  if (first == "--replay") {
    // --replay FILE [--check], alone: a recorded game to play again.
    if (argc < 3 || argc > 4 || (argc == 4 && std::string(argv[3]) != "--check")) {
      err << "klevaria: --replay takes a file, and then --check or nothing\n";
      err << "Try 'klevaria --help' for more information.\n";
      return 2;
    }
    if (options) {
      options->ReplayFile = argv[2];
      options->Check = argc == 4;
    }
    return -1;
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
  auto refuse = [&err]() {
    err << "Try 'klevaria --help' for more information.\n";
    return 2;
  };
  if (help || version) {
    err << "klevaria: '" << first << "' takes no other arguments\n";
    return refuse();
  }
  StartOptions read;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::optional<std::string> service;
    if (arg == "--fullscreen" || arg == "--windowed") {
      const bool windowed = arg == "--windowed";
      if (read.Windowed && *read.Windowed != windowed) {
        err << "klevaria: '--fullscreen' and '--windowed' exclude each other\n";
        return refuse();
      }
      read.Windowed = windowed;
      continue;
    }
    if (arg == "--score-service") {
      if (i + 1 >= argc) {
        err << "klevaria: '--score-service' needs an address\n";
        return refuse();
      }
      service = argv[++i];
    } else if (arg.rfind("--score-service=", 0) == 0) {
      service = arg.substr(16);
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "klevaria: unknown option '" << arg << "'\n";
      return refuse();
    } else {
      err << "klevaria: unexpected argument '" << arg << "'\n";
      return refuse();
    }
    if (!IsScoreServiceAddress(*service)) {
      err << "klevaria: '" << *service
          << "' is not a world table's address (http:// or https://)\n";
      return refuse();
    }
    read.ScoreService = std::move(service);
  }
  if (options) *options = std::move(read);
  return -1;
}

}  // namespace klv
