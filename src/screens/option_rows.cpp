// The options screen's setting rows by keyboard and gamepad.
#include "app/game.h"
#include "app/sound_system.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {

void Screens::ToggleOptionRow(int row) {
  Config& cfg = *game_.Cfg;
  switch (row) {
    case 1:
      cfg.Windowed = !cfg.Windowed;
      game_.ApplyWindowMode();
      break;
    case 2:
      cfg.Music = !cfg.Music;
      if (cfg.Music)
        game_.ResumeMusic();  // "Не могу загрузить музыку" turns it off again
      else
        game_.Sound1->MusicOff();
      break;
    case 3:
      cfg.Sound = !cfg.Sound;
      break;
    default:
      break;
  }
}

}  // namespace klv
