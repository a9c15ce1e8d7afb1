#include "scan/window_notifier_win32.h"

namespace scan {

void WindowNotifier::scanEnded(std::uint32_t work) {
    PostMessageW(window_, kScanEndedMessage, work, 0);
}

void WindowNotifier::startTicking() {
    SetTimer(window_, kProgressTimer, kProgressTimerMilliseconds, nullptr);
}

void WindowNotifier::stopTicking() {
    KillTimer(window_, kProgressTimer);
}

}  // namespace scan
