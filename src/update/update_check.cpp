#include "update/update_check.h"

#include <utility>

namespace update {

bool UpdateCheck::start() {
    return !started_.exchange(true, std::memory_order_acq_rel);
}

void UpdateCheck::finish(std::optional<UpdateResult> result) {
    if (result) {
        result_ = *std::move(result);
        hasResult_.store(true, std::memory_order_release);
    }
    done_.store(true, std::memory_order_release);
}

const UpdateResult* UpdateCheck::result() const {
    if (!done_.load(std::memory_order_acquire) || !hasResult_.load(std::memory_order_acquire)) {
        return nullptr;
    }
    return &result_;
}

UpdateCheck& processUpdateCheck() {
    // Deliberately never deleted; see the header.
    static UpdateCheck* const check = new UpdateCheck;
    return *check;
}

}  // namespace update
