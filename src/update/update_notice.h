#pragma once

// What the welcome page's update banner shows and what its button opens, taken from the update
// check once it has found a newer version.

#include "update/update_check.h"

#include <ctime>
#include <string>

namespace update {

struct UpdateNotice {
    std::u16string message;          // the banner's text; empty when there is no banner
    std::u16string downloadAddress;  // what the banner's button opens

    bool shown() const { return !message.empty(); }
};

// The banner for `check` as it stands at `now`: the message and download address of its
// result, or an empty notice while it runs, after it failed and when nothing newer exists.
UpdateNotice updateNotice(const UpdateCheck& check, std::time_t now);

}  // namespace update
