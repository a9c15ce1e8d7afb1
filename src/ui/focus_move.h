#pragma once

// The ways a key moves the keyboard focus among the things a window lets it choose: Tab and
// Shift+Tab (Next, Previous), the arrows, and Home and End (First, Last). Each window decides
// what they mean among its own stops. Portable.

namespace ui {

enum class FocusMove { Next, Previous, Left, Right, Up, Down, First, Last };

}  // namespace ui
