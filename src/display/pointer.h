#pragma once
// The pointer shapes that `set_mouse_cursor` takes besides 0 (no pointer),
// 1..8 (a step that way) and 11..18 (an attack that way).

constexpr int CURSOR_SPECIAL = -2;  // a prompt waits for a direction
constexpr int CURSOR_DEFAULT = -3;  // the plain arrow
constexpr int CURSOR_OTHER = -4;    // an item carried, or a door or talk link to click
