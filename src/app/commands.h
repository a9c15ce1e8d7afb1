#pragma once

// The numbers that tie menus, accelerators, toolbar controls and resources to the main window.
// The resource script repeats the accelerator and resource numbers; the resource tests compare
// them with these.

namespace app {

inline constexpr int kIconResource = 100;
inline constexpr int kAcceleratorResource = 101;

enum Command : int {
    CommandOpen = 200,
    CommandRefreshEverything = 201,
    CommandRefreshFolder = 202,
    CommandStopScanning = 203,
    CommandExit = 204,
    CommandSettings = 205,
    CommandCopyPath = 210,
    CommandShowInExplorer = 211,
    CommandMoveToRecycleBin = 212,
    CommandZoomIn = 220,
    CommandZoomOut = 221,
    CommandZoomToTop = 222,
    CommandCollapseAll = 223,
    CommandSelectParent = 224,
};

}  // namespace app
