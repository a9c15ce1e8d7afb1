#include "scan/scan_controller.h"

#include "scan_fixture.h"

#include <condition_variable>
#include <mutex>

namespace scan::testing {
namespace {

class EndNotifier : public ScanNotifier {
  public:
    void scanEnded() override {
        std::lock_guard guard(lock_);
        ended_ = true;
        changed_.notify_all();
    }
    void startTicking() override {}
    void stopTicking() override {}
    void waitForEnd() {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return ended_; });
    }

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool ended_ = false;
};

using ScanControllerTest = TempFolder;

TEST_F(ScanControllerTest, TheAdjusterChoosesMethodAndThreadsAfterTheCutoffs) {
    writeFile("a/one.bin", 5000);
    writeFile("two.txt", 10);
    constexpr std::uint32_t now = 1'700'000'000;
    // The notifier outlives the controller, whose destructor still tells it the ticks stop.
    EndNotifier notifier;
    ScanController controller([] { return now; });
    controller.setNotifier(&notifier);
    std::uint32_t monthCutoffSeen = 0;
    controller.setOptionsAdjuster([&](ScanOptions& options) {
        monthCutoffSeen = options.monthCutoff;
        options.method = 1;
        options.threads = 3;
    });
    controller.startScan(rootText());
    notifier.waitForEnd();
    controller.joinWorker();

    ASSERT_NE(controller.scanner(), nullptr);
    const ScanOptions& used = controller.scanner()->options();
    EXPECT_EQ(monthCutoffSeen, now - 2'592'000u) << "the adjuster sees the filled-in options";
    EXPECT_EQ(used.method, 1u);
    EXPECT_EQ(used.threads, 3);
    EXPECT_EQ(used.monthCutoff, now - 2'592'000u);
    EXPECT_EQ(used.halfYearCutoff, now - 15'724'800u);
    EXPECT_EQ(controller.scanner()->store().fileCount.get(0), 2u);
    EXPECT_FALSE(controller.stopped());
}

TEST_F(ScanControllerTest, WithoutAnAdjusterTheDefaultsStay) {
    writeFile("one.bin", 1);
    EndNotifier notifier;
    ScanController controller([] { return std::uint32_t{1'700'000'000}; });
    controller.setNotifier(&notifier);
    controller.startScan(rootText());
    notifier.waitForEnd();
    controller.joinWorker();
    ASSERT_NE(controller.scanner(), nullptr);
    EXPECT_EQ(controller.scanner()->options().method, 0u);
    EXPECT_EQ(controller.scanner()->options().threads, 0);
}

}  // namespace
}  // namespace scan::testing
