#include "treemap/build_delivery.h"

#include <windows.h>

namespace treemap {

static_assert(kBuildResultMessage == WM_APP + 10);

bool postBuildResult(std::uintptr_t window, std::uint32_t generation, BuildResult* result) {
    return PostMessageW(reinterpret_cast<HWND>(window), kBuildResultMessage, generation,
                        reinterpret_cast<LPARAM>(result)) != FALSE;
}

}  // namespace treemap
