#include "scan/window_notifier_win32.h"

namespace scan {

void WindowNotifier::scanEnded() {
    PostMessageW(window_, kScanEndedMessage, 0, 0);
}

void WindowNotifier::startTicking() {
    SetTimer(window_, kProgressTimer, kProgressTimerMilliseconds, nullptr);
}

void WindowNotifier::stopTicking() {
    KillTimer(window_, kProgressTimer);
}

}  // namespace scan
