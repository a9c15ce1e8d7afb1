#pragma once

// When the main window offers to restart as administrator, and how the restart hands the open
// folder to the new instance. Plain rules, so they are tested on any host.

#include <string>
#include <string_view>

namespace app {

// What the offer depends on once a scan or folder refresh has ended.
struct ElevationFacts {
    bool offeredForThisScan = false;  // the offer was already shown since the scan was opened
    bool offerSetting = true;         // the OfferElevation option
    bool fileTableRefused = false;    // the scan could not read the drive's file table
    bool wholeVolume = false;         // the scan's root is a whole drive
};

// True when the offer is to be shown: only for a whole drive whose file table was refused, at
// most once per opened scan, and never once the user has turned the offer off. A folder gains
// nothing from the file table, so it never brings the offer.
bool shouldOfferElevation(const ElevationFacts& facts);

// The command line parameters of the restarted instance: `rootPath` in double quotes, with every
// backslash of a run that ends the path doubled so that the closing quote stays a quote
// (C:\ becomes "C:\\"); the new instance's CommandLineToArgvW then gives back exactly the
// path. Empty when `rootPath` is empty.
std::u16string restartParameters(std::u16string_view rootPath);

}  // namespace app
