// The whole check on its worker thread, against a real HTTP server on loopback, with a real
// window receiving the notice.

#include "update/update_worker_win32.h"

#include "loopback_server_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace update {
namespace {

class UpdateWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        // The worker writes into the check, so no check may end before its worker.
        pumpUntil([&] { return !check_.started() || check_.done(); });
        DestroyWindow(window_);
        SetEnvironmentVariableW(L"ROZOVIZOV_UPDATE_URL", nullptr);
    }

    void useService(const std::u16string& address) {
        SetEnvironmentVariableW(L"ROZOVIZOV_UPDATE_URL",
                                reinterpret_cast<const wchar_t*>(address.c_str()));
    }

    // Pumps the window's messages, counting the update notices, until `condition` holds or a
    // generous limit passes; answers whether it held.
    bool pumpUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG message{};
            while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) {
                if (message.message == kUpdateFoundMessage) {
                    ++notices_;
                }
            }
        }
        return true;
    }

    HWND window_ = nullptr;
    UpdateCheck check_;
    int notices_ = 0;
};

TEST_F(UpdateWorkerTest, ANewerVersionIsAnnouncedAndAnnouncedAgainOnRequest) {
    LoopbackServer server(httpResponse(
        "200 OK", R"({"latest":{"version":"2.301.0"},"downloads":"http://127.0.0.1/get",)"
                  R"("currentDate":"2024-01-31"})"));
    useService(server.address(u"/api/latest-version"));
    startUpdateCheck(check_, window_);
    ASSERT_TRUE(pumpUntil([&] { return notices_ == 1; }));
    const UpdateResult* result = check_.result();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->version, u"2.301.0");
    EXPECT_EQ(result->downloadAddress, u"http://127.0.0.1/get") << "the service itself is http";
    EXPECT_EQ(result->versionDate, u"2024-01-31");
    // The test program's own version resource says 2.300.65535.7.
    EXPECT_EQ(server.request().substr(0, server.request().find("\r\n")),
              "GET /api/latest-version?platform=windows&version=2.300.65535 HTTP/1.1");

    // Asking again does not ask the service again, and announces the result again each time.
    startUpdateCheck(check_, window_);
    startUpdateCheck(check_, window_);
    EXPECT_TRUE(pumpUntil([&] { return notices_ == 3; }));
}

TEST_F(UpdateWorkerTest, NothingNewerEndsDoneWithoutANotice) {
    struct Case {
        const char* name;
        std::string response;
    };
    const Case cases[] = {
        {"the same version", httpResponse("200 OK", R"({"latest":{"version":"2.300.65535"}})")},
        {"an older version", httpResponse("200 OK", R"({"latest":{"version":"2.299.99999"}})")},
        {"the service says no",
         httpResponse("200 OK", R"({"latest":{"version":"9.0"},"updateAvailable":false})")},
        {"no version", httpResponse("200 OK", R"({"latest":{},"updateAvailable":true})")},
        {"not found", httpResponse("404 Not Found", R"({"latest":{"version":"9.0"}})")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateCheck check;
        LoopbackServer server(c.response);
        useService(server.address(u"/"));
        startUpdateCheck(check, window_);
        ASSERT_TRUE(pumpUntil([&] { return check.done(); }));
        EXPECT_EQ(check.result(), nullptr);
        startUpdateCheck(check, window_);
        MSG message{};
        EXPECT_FALSE(
            PeekMessageW(&message, window_, kUpdateFoundMessage, kUpdateFoundMessage, PM_REMOVE));
        EXPECT_EQ(notices_, 0);
    }
}

TEST_F(UpdateWorkerTest, StartingNeverWaitsForTheNetwork) {
    LoopbackServer server("", true);
    useService(server.address(u"/"));
    startUpdateCheck(check_, window_);
    EXPECT_TRUE(check_.started());
    // The server never answers, so nothing but the time-out ends the check: a start that waited
    // for the network would come back only with the check done.
    EXPECT_FALSE(check_.done()) << "the start waited for the network";
    EXPECT_FALSE(server.request().empty()) << "the worker asks by itself";
    EXPECT_FALSE(check_.done()) << "the server has not answered";
    ASSERT_TRUE(pumpUntil([&] { return check_.done(); })) << "the time-out ends the check";
    EXPECT_FALSE(check_.failure().empty()) << "the check gave up on the service";
    EXPECT_EQ(check_.result(), nullptr);
    EXPECT_EQ(notices_, 0);
}

}  // namespace
}  // namespace update
