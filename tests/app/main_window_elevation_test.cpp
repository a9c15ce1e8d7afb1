// The offer to restart as administrator after a real scan of a whole drive, and the restart it
// leads to, recorded instead of started. Wine reads no volume raw, so a scan of drive C: there
// is a whole-drive scan that was refused the file table, as an unelevated one is on Windows.

#include "app/main_window.h"

#include "app/commands.h"
#include "app/elevation.h"
#include "scan/volumes.h"
#include "update/running_version_win32.h"

#include "dialog_answerer.h"
#include "main_window_fixture.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <filesystem>
#include <string>
#include <vector>

namespace app {
namespace {

using harness::DialogAnswerer;
using harness::SeenDialog;
namespace fs = std::filesystem;

constexpr const char16_t* kDrive = u"C:\\";

struct Restart {
    std::u16string program;
    std::u16string parameters;
};

// Answers the offer with `answer` (a button, Esc or the close box), ticking "Don't offer this
// again" first when `tick`.
DialogAnswerer::Answer choose(int answer, bool tick = false) {
    return [answer, tick](const SeenDialog& dialog) {
        if (tick) {
            harness::tickTaskDialogCheckBox(dialog);
        }
        return answer;
    };
}

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class MainWindowElevationTest : public windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        windowtest::MainWindowFixture::SetUp();
        if (!underWine()) {
            // Elsewhere drive C: is large, and an elevated run reads its file table.
            GTEST_SKIP() << "a whole-drive scan refused the file table needs Wine's small C:";
        }
    }
    // Records each restart and answers `starts` for it.
    void record(MainWindow& main, bool starts) {
        ShellLaunchers launchers;
        launchers.runElevated = [this, starts](const std::u16string& program,
                                               const std::u16string& parameters) {
            restarts_.push_back({program, parameters});
            return starts;
        };
        launchers.openAddress = [](HWND, const std::u16string&) {
            ADD_FAILURE() << "nothing here opens an address";
        };
        main.setLaunchers(std::move(launchers));
    }
    // Scans `path` and pumps until the window has handled the scan's end, any offer included
    // (the file appears while the end is handled, and the offer comes within the same message).
    bool scanAndHandleTheEnd(MainWindow& main, const std::u16string& path) {
        const fs::path ended = scratch_ / "scan-ended";
        fs::remove(ended);
        harness::ScopedEnvironment signal(L"ROZOVIZOV_SCAN_END_FILE", ended.wstring());
        main.openScan(path);
        return pumpUntil(main, [&] { return fs::exists(ended); });
    }
    // Scans the whole drive; the dialog answerer answers any offer.
    void scanDrive(MainWindow& main) {
        ASSERT_TRUE(scanAndHandleTheEnd(main, kDrive));
        ASSERT_TRUE(main.controller().wholeVolume());
        ASSERT_TRUE(main.controller().fileTableRefused())
            << "this scan stands for one that may not read the file table";
    }

    std::vector<Restart> restarts_;
};

TEST_F(MainWindowElevationTest, OfferedOnceAfterAWholeDriveScanUntilTheUserDeclinesForGood) {
    MainWindow main(settings_);
    record(main, true);
    ASSERT_TRUE(main.create(u""));
    DialogAnswerer answerer(choose(7));
    scanDrive(main);
    ASSERT_EQ(answerer.seen().size(), 1u);
    const SeenDialog& offer = answerer.seen().front();
    EXPECT_EQ(offer.caption, L"Rozovizov");
    EXPECT_TRUE(offer.shows(L"This drive can be scanned much faster"));
    EXPECT_TRUE(offer.shows(L"which scans a whole drive in seconds rather than minutes"));
    EXPECT_TRUE(offer.shows(L"Don't offer this again"));
    EXPECT_TRUE(offer.shows(L"Restart as administrator"));
    EXPECT_TRUE(offer.shows(L"Keep the results"));
    EXPECT_TRUE(settings_.offerElevation()) << "the check box was left alone";
    EXPECT_TRUE(restarts_.empty()) << "the results were kept";

    // A later end of the same scan (a folder refresh) does not offer again.
    SendMessageW(main.window(), scan::kScanEndedMessage, main.controller().work(), 0);
    EXPECT_EQ(answerer.seen().size(), 1u);

    // A folder gains nothing from the file table, even when its scan was refused it.
    const windowtest::GeneratedTree tree = makeTree("folder", 2, 2, 3);
    ASSERT_TRUE(scanAndHandleTheEnd(main, tree.root.u16string()));
    EXPECT_FALSE(main.controller().wholeVolume());
    EXPECT_EQ(answerer.seen().size(), 1u);

    // Opening the drive again offers again; ticking the check box turns the offer off.
    {
        DialogAnswerer declining(choose(7, true));
        scanDrive(main);
        EXPECT_EQ(declining.seen().size(), 1u);
    }
    EXPECT_FALSE(settings_.offerElevation());
    DialogAnswerer watching(choose(harness::kCloseBox));
    scanDrive(main);
    EXPECT_TRUE(watching.seen().empty()) << "the offer is off for good";
    EXPECT_TRUE(restarts_.empty());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowElevationTest, AcceptingRestartsElevatedOnTheDriveAndClosesThisWindow) {
    MainWindow main(settings_);
    record(main, true);
    ASSERT_TRUE(main.create(u""));
    DialogAnswerer answerer(choose(6, true));
    scanDrive(main);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_FALSE(settings_.offerElevation()) << "the check box counts whatever the choice";
    ASSERT_EQ(restarts_.size(), 1u);
    EXPECT_EQ(restarts_[0].program, update::programPath());
    EXPECT_EQ(restarts_[0].parameters, u"\"C:\\\\\"");
    EXPECT_EQ(harness::pumpUntilQuit(harness::kPatience, loopOf(main)), std::optional<int>(0))
        << "this instance ends through its usual close";
    EXPECT_EQ(main.window(), nullptr);
}

// The end of a drive scan the user left with Open… before the window heard of it belongs to no
// scan on display: it offers nothing (accepting would restart on no folder at all).
TEST_F(MainWindowElevationTest, TheEndOfAScanTheUserLeftOffersNothing) {
    MainWindow main(settings_);
    record(main, true);
    ASSERT_TRUE(main.create(u""));
    DialogAnswerer answerer(choose(6));
    main.openScan(kDrive);
    // The scan's end is posted; the window goes back to the start page before handling it.
    MSG held{};
    const harness::Dispatch holdTheEnd = [&](MSG& message) {
        if (message.message == scan::kScanEndedMessage) {
            held = message;
            return;
        }
        main.processMessage(message);
    };
    ASSERT_TRUE(
        harness::pumpUntil([&] { return held.message != 0; }, harness::kPatience, holdTheEnd));
    ASSERT_TRUE(main.controller().fileTableRefused());
    main.command(CommandOpen);
    ASSERT_TRUE(main.welcomeShown());
    PostMessageW(main.window(), held.message, held.wParam, held.lParam);
    pumpPending(main);
    EXPECT_TRUE(answerer.seen().empty()) << "no offer for a scan that is no longer shown";
    EXPECT_TRUE(restarts_.empty());

    // Nor does it reach the scan opened next.
    const windowtest::GeneratedTree tree = makeTree("folder", 1, 1, 1);
    ASSERT_TRUE(scanAndHandleTheEnd(main, tree.root.u16string()));
    PostMessageW(main.window(), held.message, held.wParam, held.lParam);
    pumpPending(main);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

// Esc and the close box both end the offer as cancelled; Wine's task dialog takes only the close
// box when it has no Cancel button, so that is the way out used here.
TEST_F(MainWindowElevationTest, TheCloseBoxKeepsTheResultsAndHonoursTheCheckBox) {
    MainWindow main(settings_);
    record(main, true);
    ASSERT_TRUE(main.create(u""));
    for (const bool tick : {false, true}) {
        SCOPED_TRACE(tick ? "ticked" : "not ticked");
        settings_.setOfferElevation(true);
        DialogAnswerer answerer(choose(harness::kCloseBox, tick));
        scanDrive(main);
        ASSERT_EQ(answerer.seen().size(), 1u);
        // The check box counts whichever way the offer was left.
        EXPECT_EQ(settings_.offerElevation(), !tick);
        pumpPending(main);
        EXPECT_TRUE(restarts_.empty());
        EXPECT_TRUE(IsWindow(main.window())) << "the window stays open on its results";
        EXPECT_FALSE(main.welcomeShown());
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowElevationTest, ARestartThatDoesNotStartLeavesThisInstanceRunning) {
    MainWindow main(settings_);
    record(main, false);
    ASSERT_TRUE(main.create(u""));
    main.command(CommandRestartElevated);
    ASSERT_EQ(restarts_.size(), 1u);
    EXPECT_EQ(restarts_[0].parameters, u"") << "with no folder open, nothing is passed";
    pumpPending(main);
    EXPECT_TRUE(IsWindow(main.window())) << "the prompt was declined; nothing else happens";

    // Back on the start page after a scan, the folder whose results were closed is not passed:
    // from the elevation banner where the page shows it, else from the Help menu.
    const windowtest::GeneratedTree tree = makeTree("folder", 2, 2, 3);
    ASSERT_TRUE(scanAndHandleTheEnd(main, tree.root.u16string()));
    main.command(CommandOpen);
    ASSERT_TRUE(main.welcomeShown());
    const panes::WelcomeView& view = *main.welcomeView();
    if (view.elevationBanner()) {
        clickMiddleOf(view, view.pageLayout().elevationButton);
    } else {
        main.command(CommandRestartElevated);
    }
    ASSERT_EQ(restarts_.size(), 2u);
    EXPECT_EQ(restarts_[1].parameters, u"");

    // The Help menu's item is greyed exactly while this process is elevated.
    const UINT state = menuItemState(main, kHelpMenu, CommandRestartElevated);
    EXPECT_EQ((state & MF_GRAYED) != 0, scan::isElevated());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

// The parameters as the new instance reads them: its command line is the program's quoted path,
// a space and the parameters, split by the system's own rules.
TEST(RestartParameters, TheNewInstanceReadsBackExactlyThePath) {
    const std::u16string roots[] = {
        u"C:\\",
        u"Z:\\tmp\\a folder with spaces\\and more",
        u"Z:\\tmp\\ends in backslashes\\\\\\",
        u"\\\\server\\share\\",
        u"Z:\\tmp\\back\\slashes\\\\inside",
    };
    for (const std::u16string& root : roots) {
        const std::wstring expected(root.begin(), root.end());
        SCOPED_TRACE(std::string(root.begin(), root.end()));
        const std::u16string parameters = restartParameters(root);
        const std::wstring commandLine = L"\"C:\\Program Files\\Rozovizov\\rozovizov.exe\" " +
                                         std::wstring(parameters.begin(), parameters.end());
        int count = 0;
        wchar_t** arguments = CommandLineToArgvW(commandLine.c_str(), &count);
        ASSERT_NE(arguments, nullptr);
        ASSERT_EQ(count, 2);
        EXPECT_EQ(std::wstring(arguments[0]), L"C:\\Program Files\\Rozovizov\\rozovizov.exe");
        EXPECT_EQ(std::wstring(arguments[1]), expected);
        LocalFree(arguments);
    }
}

}  // namespace
}  // namespace app
