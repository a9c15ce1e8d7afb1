#pragma once

// The one update check of a run: started once, finished once by its worker, never reset. The
// worker writes it and the user-interface thread reads it without a lock: the texts are written
// before the flags that announce them, and read only after those flags.

#include "update/update_answer.h"

#include <atomic>
#include <optional>
#include <string>

namespace update {

class UpdateCheck {
  public:
    UpdateCheck() = default;
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // Marks the check started; true only for the first caller, who is then to run it and call
    // `finish` exactly once.
    bool start();
    bool started() const { return started_.load(std::memory_order_acquire); }

    // Stores the outcome (none when nothing newer was found or the check failed, `failure` then
    // saying why the check failed, empty when it did not), then marks the result, then marks the
    // check done.
    void finish(std::optional<UpdateResult> result, std::u16string failure = {});
    // For asking the service again: true when the check is done, which it then is no longer,
    // with no result and no failure; the caller then runs it again and calls `finish` once. False
    // while a check runs or when none has started.
    bool restart();
    bool done() const { return done_.load(std::memory_order_acquire); }
    // The newer version once the check is done with one; null before that and without one.
    // The record lives as long as the check, which for the process's check is the whole run.
    const UpdateResult* result() const;
    // Why the finished check failed ("the service could not be reached"); empty while it runs,
    // when it succeeded, and when it found nothing newer.
    const std::u16string& failure() const;

  private:
    std::atomic<bool> started_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> hasResult_{false};
    UpdateResult result_;
    std::u16string failure_;
};

// The process's check, made on first use and never destroyed: its detached worker may still be
// waiting on the network when the program ends, and must never write into a destroyed object.
UpdateCheck& processUpdateCheck();

}  // namespace update
