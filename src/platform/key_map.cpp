#include "platform/key_map.h"

#include <SDL2/SDL.h>

#include "platform/platform.h"

namespace klv {
namespace {

struct KeyPair {
  SDL_Keycode sdl;
  int vk;
};

constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, vk::Back},
    {SDLK_TAB, vk::Tab},
    {SDLK_RETURN, vk::Return},
    {SDLK_RETURN2, vk::Return},
    {SDLK_KP_ENTER, vk::Return},
    {SDLK_LSHIFT, vk::Shift},
    {SDLK_RSHIFT, vk::Shift},
    {SDLK_LCTRL, vk::Control},
    {SDLK_RCTRL, vk::Control},
    {SDLK_LALT, vk::Menu},
    {SDLK_RALT, vk::Menu},
    {SDLK_PAUSE, vk::Pause},
    {SDLK_ESCAPE, vk::Escape},
    {SDLK_SPACE, vk::Space},
    {SDLK_PAGEUP, 0x21},
    {SDLK_PAGEDOWN, 0x22},
    {SDLK_END, 0x23},
    {SDLK_HOME, 0x24},
    {SDLK_LEFT, vk::Left},
    {SDLK_UP, vk::Up},
    {SDLK_RIGHT, vk::Right},
    {SDLK_DOWN, vk::Down},
    {SDLK_INSERT, 0x2D},
    {SDLK_DELETE, 0x2E},
    {SDLK_KP_0, 0x60},
    {SDLK_KP_1, 0x61},
    {SDLK_KP_2, 0x62},
    {SDLK_KP_3, 0x63},
    {SDLK_KP_4, 0x64},
    {SDLK_KP_5, 0x65},
    {SDLK_KP_6, 0x66},
    {SDLK_KP_7, 0x67},
    {SDLK_KP_8, 0x68},
    {SDLK_KP_9, 0x69},
    {SDLK_KP_MULTIPLY, 0x6A},
    {SDLK_KP_PLUS, vk::Add},
    {SDLK_KP_MINUS, vk::Subtract},
    {SDLK_KP_PERIOD, 0x6E},
    {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_F1, 0x70},
    {SDLK_F2, 0x71},
    {SDLK_F3, 0x72},
    {SDLK_F4, 0x73},
    {SDLK_F5, 0x74},
    {SDLK_F6, 0x75},
    {SDLK_F7, 0x76},
    {SDLK_F8, 0x77},
    {SDLK_F9, 0x78},
    {SDLK_F10, 0x79},
    {SDLK_F11, vk::F11},
    {SDLK_F12, 0x7B},
    {SDLK_SEMICOLON, 0xBA},
    {SDLK_EQUALS, 0xBB},
    {SDLK_COMMA, 0xBC},
    {SDLK_MINUS, 0xBD},
    {SDLK_PERIOD, 0xBE},
    {SDLK_SLASH, 0xBF},
    {SDLK_BACKQUOTE, 0xC0},
    {SDLK_LEFTBRACKET, 0xDB},
    {SDLK_BACKSLASH, 0xDC},
    {SDLK_RIGHTBRACKET, 0xDD},
    {SDLK_QUOTE, 0xDE},
};

// Punctuation keys by their place on a US keyboard.
struct ScanPair {
  SDL_Scancode scan;
  int vk;
};

constexpr ScanPair kPlaces[] = {
    {SDL_SCANCODE_SEMICOLON, 0xBA},  {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},      {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_PERIOD, 0xBE},     {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},      {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},  {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_APOSTROPHE, 0xDE},
};

int VkFromKeycode(int key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  for (const KeyPair& k : kKeys)
    if (k.sdl == key) return k.vk;
  return 0;
}

int VkFromPlace(int scan) {
  if (scan >= SDL_SCANCODE_A && scan <= SDL_SCANCODE_Z) return 'A' + (scan - SDL_SCANCODE_A);
  if (scan >= SDL_SCANCODE_1 && scan <= SDL_SCANCODE_9) return '1' + (scan - SDL_SCANCODE_1);
  if (scan == SDL_SCANCODE_0) return '0';
  for (const ScanPair& p : kPlaces)
    if (p.scan == scan) return p.vk;
  return 0;
}

}  // namespace

int VkFromSdlKey(int key, int scan) {
  if (int vkCode = VkFromKeycode(key)) return vkCode;
  return VkFromPlace(scan);
}

int VkFromKeyName(const std::string& name) {
  SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
  if (key == SDLK_UNKNOWN) return 0;
  return VkFromKeycode(key);
}

}  // namespace klv
