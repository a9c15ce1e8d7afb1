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
    const std::string body = fetchFrom(service, updateQuery(current));
    std::optional<UpdateResult> result = readUpdateAnswer(body, current, service.secure);
    const bool found = result.has_value();
    check.finish(std::move(result));
    if (found && target != nullptr) {
        PostMessageW(target, kUpdateFoundMessage, 0, 0);
    }
}

}  // namespace

void startUpdateCheck(UpdateCheck& check, HWND target) {
    if (check.start()) {
        std::thread([&check, target] { runCheck(check, target); }).detach();
        return;
    }
    if (check.result() != nullptr && target != nullptr) {
        PostMessageW(target, kUpdateFoundMessage, 0, 0);
    }
}

void startUpdateCheck(HWND target) {
    startUpdateCheck(processUpdateCheck(), target);
}

}  // namespace update
