#include "platform/key_map.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace klv {
namespace {

TEST(KeyMap, LettersCountByTheirLatinLetterElseByTheirPlace) {
  struct Case {
    const char* what;
    int keycode;
    SDL_Scancode place;
    int want;
  } cases[] = {
      {"Y on a US layout", SDLK_y, SDL_SCANCODE_Y, 'Y'},
      {"Y on a German layout (where US Z is)", SDLK_y, SDL_SCANCODE_Z, 'Y'},
      {"н on a Russian layout is Y", 0x43D, SDL_SCANCODE_Y, 'Y'},
      {"т on a Russian layout is N", 0x442, SDL_SCANCODE_N, 'N'},
      {"з on a Russian layout is P", 0x437, SDL_SCANCODE_P, 'P'},
      {"р on a Russian layout is H", 0x440, SDL_SCANCODE_H, 'H'},
      {"д on a Russian layout is L", 0x434, SDL_SCANCODE_L, 'L'},
      {"ж on a Russian layout is the semicolon key", 0x436, SDL_SCANCODE_SEMICOLON, 0xBA},
      {"& on a French layout is the 1 key", SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},
      {"à on a French layout is the 0 key", 0xE0, SDL_SCANCODE_0, '0'},
      {"arrows whatever the layout", SDLK_LEFT, SDL_SCANCODE_LEFT, vk::Left},
      {"Escape", SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, vk::Escape},
      {"keypad minus", SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, vk::Subtract},
      {"a key the game does not know", SDLK_MUTE, SDL_SCANCODE_MUTE, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(VkFromSdlKey(c.keycode, c.place), c.want) << c.what;
}

}  // namespace
}  // namespace klv
