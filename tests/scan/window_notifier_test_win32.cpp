// The controller's notices as a real window receives them.

#include "scan_fixture.h"

#include "scan/window_notifier_win32.h"

namespace scan::testing {
namespace {

using WindowNotifierTest = TempFolder;

TEST_F(WindowNotifierTest, TheEndArrivesAsAMessageAndTheTimerTicks) {
    for (int i = 0; i < 40; ++i) {
        writeFile("t/d" + std::to_string(i % 5) + "/f" + std::to_string(i) + ".txt", 10);
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    WindowNotifier notifier(window);
    ScanController controller;
    controller.setNotifier(&notifier);
    controller.startScan(rootText() + u"\\t");

    int ends = 0;
    int ticks = 0;
    const ULONGLONG deadline = GetTickCount64() + 20'000;
    while (ends == 0 || ticks < 3) {
        MSG message{};
        if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) {
                break;
            }
            // Both notices wake this wait: the end is a posted message, the tick a timer.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                      QS_POSTMESSAGE | QS_TIMER);
            continue;
        }
        if (message.message == kScanEndedMessage) {
            ++ends;
            EXPECT_FALSE(controller.running()) << "running is false before the notice is posted";
        } else if (message.message == WM_TIMER && message.wParam == kProgressTimer) {
            ++ticks;
        }
    }
    EXPECT_EQ(ends, 1);
    EXPECT_GE(ticks, 3) << "the timer keeps ticking once results are shown";
    EXPECT_EQ(controller.lastResult().files, 40u);
    controller.discardScan();
    DestroyWindow(window);
}

}  // namespace
}  // namespace scan::testing
