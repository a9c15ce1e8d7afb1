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
    CommandFileKindsPanel = 230,
    CommandSelectionPanel = 231,
    CommandInformationPanel = 232,
    CommandShowFreeSpace = 233,
    CommandShowOtherSpace = 234,
    CommandShowLogicalSize = 235,
    CommandConsistentKindColours = 236,
    CommandAnimatedZooming = 237,
    CommandSplitHorizontally = 238,
    CommandSmallFontFiles = 239,
    CommandSmallFontKinds = 240,
    CommandAbout = 250,
    CommandRestartElevated = 251,
    CommandCheckForUpdates = 252,
};

// The children of the main window. The toolbar buttons send their id as a command.
enum ControlId : int {
    ControlOpen = 300,
    ControlMeasureBox = 301,
    ControlZoomOut = 302,
    ControlStop = 303,
    ControlRefresh = 304,
    ControlKindsPane = 310,
    ControlFileList = 311,
    ControlTreemap = 312,
    ControlWelcome = 313,
    ControlPendingPane = 314,
};

}  // namespace app
