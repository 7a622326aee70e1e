#pragma once
// The drawing depths of every sprite of play and of the screens, back to
// front: lower depths are drawn first, and among equal depths the sprite made
// last is drawn first. The gaps leave room for layers between.

namespace klv {

constexpr int kDepthBackdrop = -10;  // the scene, or the menu's backdrop (Fon)
constexpr int kDepthBubble = -6;     // Puzir
constexpr int kDepthWeed = -5;       // Vodorosl
constexpr int kDepthPanel = -5;      // a sub-screen's panel (FonB), over the menu's backdrop
constexpr int kDepthLine = -4;       // Leska and Kruk
constexpr int kDepthObject = -2;     // Objcts
constexpr int kDepthFish = -1;       // Fish, the angler, the quota icons, the time bar's fill
constexpr int kDepthFront = 0;       // Udochka, Volna, the time bar's frame; buttons, help pages
constexpr int kDepthFloat = 1;       // the float (Poplavok)
constexpr int kDepthQuestion = 5;    // the frame of a question and of the name entry (Ask)
constexpr int kDepthCheckBox = 6;    // the name entry's check box (Chk)

}  // namespace klv
