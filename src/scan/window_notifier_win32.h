#pragma once

// The scan controller's notices as a window receives them: WM_APP+1 when a scan or refresh
// ends, with the number of that work in wParam, and timer 1 every 100 ms while results may
// change. Windows only.

#include "scan/scan_controller.h"

#include <windows.h>

namespace scan {

inline constexpr UINT kScanEndedMessage = WM_APP + 1;
inline constexpr UINT_PTR kProgressTimer = 1;
inline constexpr UINT kProgressTimerMilliseconds = 100;

class WindowNotifier : public ScanNotifier {
  public:
    explicit WindowNotifier(HWND window) : window_(window) {}

    void scanEnded(std::uint32_t work) override;
    void startTicking() override;
    void stopTicking() override;

  private:
    HWND window_;
};

}  // namespace scan
