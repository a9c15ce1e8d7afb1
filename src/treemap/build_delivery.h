#pragma once

// How a finished build reaches a window: the one part of the build thread that differs between
// platforms.

#include <cstdint>

namespace treemap {

struct BuildResult;

// The private message a view receives for a finished build (WM_APP + 10): wParam the generation,
// lParam a BuildResult* that the receiver frees.
inline constexpr unsigned kBuildResultMessage = 0x8000 + 10;

// Posts `result` to `window` (a window handle as an integer). True when the window's queue took
// it, which makes the window its owner; false otherwise (no such window, a full queue, or a
// platform without windows), in which case the caller still owns it.
bool postBuildResult(std::uintptr_t window, std::uint32_t generation, BuildResult* result);

}  // namespace treemap
