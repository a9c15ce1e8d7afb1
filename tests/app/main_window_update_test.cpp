// The update check as the main window starts and shows it, against a real HTTP server on
// loopback: the notice of the welcome page's banner, the About box and "Check for Updates…"
// for each kind of answer, and the addresses handed to the browser (recorded, never opened).

#include "app/main_window.h"

#include "app/commands.h"
#include "update/product_site.h"
#include "update/update_request.h"

#include "dialog_answerer.h"
#include "loopback_server_win32.h"
#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <optional>

#include <chrono>
#include <string>
#include <vector>

namespace app {
namespace {

using harness::DialogAnswerer;
using harness::SeenDialog;

// The version resource of this test program, which carries the program's resources.
const std::wstring kRunning = [] {
    const std::string version = ROZOVIZOV_VERSION;
    return std::wstring(version.begin(), version.end());
}();

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

class MainWindowUpdateTest : public windowtest::MainWindowFixture {
  protected:
    void TearDown() override {
        // The check is this test's, and its worker writes into it: it may not end first.
        for (update::UpdateCheck* check : checks_) {
            harness::pumpUntil([check] { return !check->started() || check->done(); });
        }
        windowtest::MainWindowFixture::TearDown();
    }

    // A main window whose check asks `server`, whose shell launches are recorded.
    void useServer(const update::LoopbackServer& server, update::UpdateCheck& check) {
        service_.set(wide(server.address(u"/api/latest-version")));
        checks_.push_back(&check);
    }
    // "Check for Updates…" and the message it ends with, answered with OK; nothing when none
    // came in time.
    static std::optional<SeenDialog> askForUpdates(MainWindow& main) {
        DialogAnswerer answerer([](const SeenDialog&) { return IDOK; });
        main.command(CommandCheckForUpdates);
        if (!pumpUntil(main, [&] { return !answerer.seen().empty(); })) {
            return std::nullopt;
        }
        return answerer.seen().front();
    }
    void record(MainWindow& main) {
        ShellLaunchers launchers;
        launchers.openAddress = [this, &main](HWND owner, const std::u16string& address) {
            EXPECT_EQ(owner, main.window());
            opened_.push_back(address);
        };
        launchers.runElevated = [](const std::u16string&, const std::u16string&) {
            ADD_FAILURE() << "nothing here restarts the program";
            return false;
        };
        main.setLaunchers(std::move(launchers));
    }

    // Opens the About box, records it and presses `button`.
    SeenDialog about(MainWindow& main, int button) {
        DialogAnswerer answerer([button](const SeenDialog&) { return button; });
        main.command(CommandAbout);
        EXPECT_EQ(answerer.seen().size(), 1u);
        return answerer.seen().empty() ? SeenDialog{} : answerer.seen().front();
    }
    // Clicks the start page's "Download" button.
    static void clickDownload(const panes::WelcomeView& view) {
        ASSERT_FALSE(view.pageLayout().updateButton.empty()) << "the banner is shown";
        clickMiddleOf(view, view.pageLayout().updateButton);
    }
    // Chooses "Check for Updates…", records the message and presses `button`.
    SeenDialog checkForUpdates(MainWindow& main, int button) {
        DialogAnswerer answerer([button](const SeenDialog&) { return button; });
        main.command(CommandCheckForUpdates);
        EXPECT_EQ(answerer.seen().size(), 1u);
        return answerer.seen().empty() ? SeenDialog{} : answerer.seen().front();
    }

    harness::ScopedEnvironment service_{L"ROZOVIZOV_UPDATE_URL", std::nullopt};
    std::vector<update::UpdateCheck*> checks_;
    std::vector<std::u16string> opened_;
};

TEST_F(MainWindowUpdateTest, ANewerVersionShowsEverywhereAndOpensItsDownloadPage) {
    update::LoopbackServer server(update::httpResponse(
        "200 OK",
        R"({"latest":{"version":"0.2.0"},"downloads":"https://rozovizov.app/get/0.2.0"})"));
    update::UpdateCheck check;
    useServer(server, check);
    MainWindow main(settings_, check);
    record(main);
    ASSERT_TRUE(main.create(u""));
    EXPECT_TRUE(check.started()) << "CheckForUpdates is on by default";
    ASSERT_TRUE(pumpUntil(main, [&] { return main.updateNotice().shown(); }))
        << "the worker's message reached the window";
    EXPECT_EQ(main.updateNotice().message, u"Version 0.2.0 is available.");
    EXPECT_EQ(main.updateNotice().downloadAddress, u"https://rozovizov.app/get/0.2.0");
    const std::string request = server.request();
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET /api/latest-version?platform=windows&version=" ROZOVIZOV_VERSION " HTTP/1.1");

    // The start page shows it as its banner, whose button opens the address.
    const panes::WelcomeView& view = *main.welcomeView();
    EXPECT_EQ(view.updateNotice(), u"Version 0.2.0 is available.");
    clickDownload(view);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], u"https://rozovizov.app/get/0.2.0");

    const SeenDialog box = about(main, 6);
    EXPECT_EQ(box.caption, L"About Rozovizov");
    EXPECT_TRUE(box.shows(L"Version 0.2.0 is available.")) << "the link names the version";
    EXPECT_TRUE(box.shows(L"Version " + kRunning)) << "the footer";
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[1], u"https://rozovizov.app/get/0.2.0");

    const SeenDialog message = checkForUpdates(main, IDNO);
    EXPECT_EQ(message.caption, L"Rozovizov");
    EXPECT_TRUE(message.shows(L"Version 0.2.0 is available.\n\nOpen the downloads page?"));
    EXPECT_EQ(opened_.size(), 2u) << "No opens nothing";
    checkForUpdates(main, IDYES);
    ASSERT_EQ(opened_.size(), 3u);
    EXPECT_EQ(opened_[2], u"https://rozovizov.app/get/0.2.0");

    main.openDownload(u"file:///C:/Windows/notepad.exe");
    ASSERT_EQ(opened_.size(), 4u);
    EXPECT_EQ(opened_[3], update::kProductAddress) << "every way out checks the address again";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowUpdateTest, AnswersWithoutANewerVersionShowNothingAndSayTheReleaseIsTheLatest) {
    struct Case {
        const char* name;
        std::string response;
    };
    const Case cases[] = {
        {"the same version",
         update::httpResponse("200 OK", R"({"latest":{"version":")" ROZOVIZOV_VERSION R"("}})")},
        {"an older version", update::httpResponse("200 OK", R"({"latest":{"version":"0.0.9"}})")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        update::LoopbackServer server(c.response);
        update::UpdateCheck check;
        useServer(server, check);
        MainWindow main(settings_, check);
        record(main);
        ASSERT_TRUE(main.create(u""));
        ASSERT_TRUE(pumpUntil(main, [&] { return check.done(); }));
        pumpPending(main);
        EXPECT_FALSE(main.updateNotice().shown());
        EXPECT_TRUE(main.welcomeView()->pageLayout().updateBanner.empty()) << "no banner";

        const SeenDialog box = about(main, IDCLOSE);
        EXPECT_FALSE(box.shows(L"is available")) << "no link";
        EXPECT_TRUE(box.shows(L"Version " + kRunning));
        const SeenDialog message = checkForUpdates(main, IDOK);
        EXPECT_TRUE(message.shows(L"Version " + kRunning + L" is the latest release."));
        EXPECT_TRUE(opened_.empty());
        EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    }
}

// A check that failed is reported as a failure with its reason, never as "the latest release";
// asking again asks the service again, and the message while it runs names the host asked.
TEST_F(MainWindowUpdateTest, AFailedCheckSaysWhyAndAskingAgainAsksTheServiceAgain) {
    const std::string padding(2 * update::kBodyLimit, ' ');
    struct Case {
        const char* name;
        std::optional<std::string> response;  // none: nothing listens on the port
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"nothing listening", std::nullopt, L"the service could not be reached"},
        {"server error", update::httpResponse("500 Internal Server Error", "{}"),
         L"the service answered with status 500"},
        {"not found", update::httpResponse("404 Not Found", R"({"latest":{"version":"9.0"}})"),
         L"the service answered with status 404"},
        {"not JSON", update::httpResponse("200 OK", "<html>maintenance</html>"),
         L"the answer was not understood"},
        {"no version", update::httpResponse("200 OK", R"({"latest":{},"updateAvailable":true})"),
         L"the answer was not understood"},
        // Whole, the document would name a newer version; cut at the limit it is not JSON.
        {"over a mebibyte",
         update::httpResponse("200 OK", R"({"latest":{"version":"9.0"},"pad":")" + padding + "\"}"),
         L"the answer was not understood"},
    };
    // The check runs only when asked, so the command's is the service's one request.
    settings_.setCheckForUpdates(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<update::LoopbackServer> server;
        update::UpdateCheck check;
        if (c.response) {
            server.emplace(*c.response);
            useServer(*server, check);
        } else {
            service_.set(L"http://127.0.0.1:1/api/latest-version");
            checks_.push_back(&check);
        }
        MainWindow main(settings_, check);
        record(main);
        ASSERT_TRUE(main.create(u""));
        const std::optional<SeenDialog> message = askForUpdates(main);
        ASSERT_TRUE(message.has_value());
        EXPECT_TRUE(message->shows(std::wstring(L"Could not check for updates: ") + c.reason));
        EXPECT_FALSE(message->shows(L"is the latest release"));
        EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    }

    // After a failure the command asks again, here a service that now answers.
    update::UpdateCheck check;
    service_.set(L"http://127.0.0.1:1/api/latest-version");
    checks_.push_back(&check);
    MainWindow main(settings_, check);
    record(main);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(askForUpdates(main).has_value());
    update::LoopbackServer server(
        update::httpResponse("200 OK", R"({"latest":{"version":")" ROZOVIZOV_VERSION R"("}})"));
    service_.set(wide(server.address(u"/api/latest-version")));
    const std::optional<SeenDialog> answer = askForUpdates(main);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->shows(L"Version " + kRunning + L" is the latest release."));
    EXPECT_FALSE(server.request().empty()) << "the service was asked again";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowUpdateTest, AHostileDownloadAddressOpensTheProductSite) {
    const char* hostile[] = {
        R"(C:\\Windows\\System32\\calc.exe)",
        R"(\\\\attacker\\share\\setup.exe)",
        "file:///C:/Windows/System32/calc.exe",
        "ms-calculator:",
        "search-ms:query=secret",
        "javascript:alert(1)",
        "https://",
    };
    for (const char* downloads : hostile) {
        SCOPED_TRACE(downloads);
        update::LoopbackServer server(update::httpResponse(
            "200 OK",
            std::string(R"({"latest":{"version":"7.0"},"downloads":")") + downloads + "\"}"));
        update::UpdateCheck check;
        useServer(server, check);
        MainWindow main(settings_, check);
        record(main);
        opened_.clear();
        ASSERT_TRUE(main.create(u""));
        ASSERT_TRUE(pumpUntil(main, [&] { return main.updateNotice().shown(); }));
        EXPECT_EQ(main.updateNotice().downloadAddress, update::kProductAddress);
        about(main, 6);
        checkForUpdates(main, IDYES);
        clickDownload(*main.welcomeView());
        EXPECT_EQ(opened_, std::vector<std::u16string>(3, update::kProductAddress));
        EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    }
}

TEST_F(MainWindowUpdateTest, WithChecksOffTheFirstAboutBoxStartsTheCheck) {
    update::LoopbackServer server(
        update::httpResponse("200 OK", R"({"latest":{"version":"1.0"}})"));
    update::UpdateCheck check;
    useServer(server, check);
    settings_.setCheckForUpdates(false);
    MainWindow main(settings_, check);
    record(main);
    ASSERT_TRUE(main.create(u""));
    pumpPending(main);
    EXPECT_FALSE(check.started()) << "the setting keeps the program off the network";

    about(main, IDCLOSE);
    EXPECT_TRUE(check.started());
    ASSERT_TRUE(pumpUntil(main, [&] { return main.updateNotice().shown(); }));
    EXPECT_TRUE(about(main, IDCLOSE).shows(L"Version 1.0 is available."));
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowUpdateTest, AServerThatNeverAnswersKeepsNobodyWaiting) {
    update::UpdateCheck check;
    {
        update::LoopbackServer server("", true);
        useServer(server, check);
        MainWindow main(settings_, check);
        record(main);
        ASSERT_TRUE(main.create(u""));
        EXPECT_FALSE(server.request().empty()) << "the check is waiting for the answer";

        const auto start = std::chrono::steady_clock::now();
        const SeenDialog message = checkForUpdates(main, IDOK);
        EXPECT_TRUE(message.shows(L"Checking 127.0.0.1 for a newer version\u2026"))
            << "the host actually asked";
        const SeenDialog box = about(main, IDCLOSE);
        EXPECT_FALSE(box.shows(L"is available"));
        DWORD_PTR answer = 0;
        EXPECT_NE(
            SendMessageTimeoutW(main.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
            << "neither waited for the network";
        EXPECT_FALSE(check.done()) << "the server has still not answered";

        // The window and its object go while the worker still waits.
        EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    }
    ASSERT_TRUE(harness::pumpUntil([&] { return check.done(); }));
    EXPECT_EQ(check.result(), nullptr);
}

}  // namespace
}  // namespace app
