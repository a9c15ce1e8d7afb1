#include "update/update_check.h"

#include <utility>

namespace update {

bool UpdateCheck::start() {
    return !started_.exchange(true, std::memory_order_acq_rel);
}

void UpdateCheck::finish(std::optional<UpdateResult> result, std::u16string failure) {
    failure_ = std::move(failure);
    if (result) {
        result_ = *std::move(result);
        hasResult_.store(true, std::memory_order_release);
    }
    done_.store(true, std::memory_order_release);
}

bool UpdateCheck::restart() {
    if (!done_.load(std::memory_order_acquire)) {
        return false;
    }
    // The worker that finished writes nothing more, so the record is the caller's alone until
    // the next worker starts.
    hasResult_.store(false, std::memory_order_release);
    done_.store(false, std::memory_order_release);
    result_ = UpdateResult{};
    failure_.clear();
    return true;
}

const std::u16string& UpdateCheck::failure() const {
    static const std::u16string none;
    return done_.load(std::memory_order_acquire) ? failure_ : none;
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
