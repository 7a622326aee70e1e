// The options screen's setting rows by keyboard and gamepad.
#include "screens/game_flow.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {

void Screens::ToggleOptionRow(int row) {
  Config& cfg = ctx_.Cfg;
  switch (row) {
    case 1:
      cfg.Windowed = !cfg.Windowed;
      ctx_.Flow.ApplyWindowMode();
      break;
    case 2:
      cfg.Music = !cfg.Music;
      if (cfg.Music)
        ctx_.Flow.ResumeMusic();  // "Не могу загрузить музыку" turns it off again
      else
        ctx_.Flow.MusicOff();
      break;
    case 3:
      cfg.Sound = !cfg.Sound;
      break;
    default:
      break;
  }
}

}  // namespace klv
