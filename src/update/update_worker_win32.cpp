#include "update/update_worker_win32.h"

#include "update/running_version_win32.h"
#include "update/update_answer.h"
#include "update/update_request.h"
#include "update/version_service_win32.h"

#include <string>
#include <thread>
#include <utility>

namespace update {

namespace {

void runCheck(UpdateCheck& check, HWND target) {
    const std::u16string current = runningVersion();
    const ServiceAddress service = serviceAddressFromEnvironment();
    std::u16string failure;
    const std::string body = fetchFrom(service, updateQuery(current), &failure);
    std::optional<UpdateResult> result = readUpdateAnswer(body, current, service.secure);
    if (failure.empty() && !answerNamesVersion(body)) {
        failure = u"the answer was not understood";
    }
    const bool found = result.has_value();
    check.finish(std::move(result), std::move(failure));
    if (found && target != nullptr) {
        PostMessageW(target, kUpdateFoundMessage, 0, 0);
    }
    if (target != nullptr) {
        PostMessageW(target, kUpdateCheckedMessage, 0, 0);
    }
}

void runDetached(UpdateCheck& check, HWND target) {
    std::thread([&check, target] { runCheck(check, target); }).detach();
}

}  // namespace

void startUpdateCheck(UpdateCheck& check, HWND target) {
    if (check.start()) {
        runDetached(check, target);
        return;
    }
    if (check.result() != nullptr && target != nullptr) {
        PostMessageW(target, kUpdateFoundMessage, 0, 0);
    }
}

void startUpdateCheck(HWND target) {
    startUpdateCheck(processUpdateCheck(), target);
}

bool checkAgain(UpdateCheck& check, HWND target) {
    if (check.start() || check.restart()) {
        runDetached(check, target);
        return true;
    }
    return false;
}

}  // namespace update
