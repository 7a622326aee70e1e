#pragma once
// The game's icon, 64 by 64, as a PNG file carried inside the program: the
// same picture the desktop shows for the installed game, for the window's
// title bar and the task switcher.

#include <cstdint>
#include <span>

namespace klv {

std::span<const uint8_t> WindowIconPng();

}  // namespace klv
