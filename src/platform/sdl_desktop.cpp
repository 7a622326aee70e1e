#include "platform/sdl_desktop.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <exception>

#include "engine/png_codec.h"
#include "platform/window_icon.h"

namespace klv {

void SetDesktopIdentity() {
  // The desktop entry is named after this id, so the task bar shows its icon
  // and name for the window.
  setenv("SDL_VIDEO_X11_WMCLASS", KLV_APP_ID, 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", KLV_APP_ID, 0);
}

bool SetWindowIcon(SDL_Window* window) {
  std::span<const uint8_t> png = WindowIconPng();
  if (!window || png.empty()) return false;
  Surface picture;
  try {
    picture = PngCodec::Decode(png.data(), png.size());
  } catch (const std::exception&) {
    return false;  // a window without an icon is still a window
  }
  SDL_Surface* icon =
      SDL_CreateRGBSurfaceWithFormatFrom(picture.Pixels(), picture.Width(), picture.Height(), 32,
                                         picture.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return false;
  SDL_SetWindowIcon(window, icon);  // SDL keeps its own copy
  SDL_FreeSurface(icon);
  return true;
}

}  // namespace klv
