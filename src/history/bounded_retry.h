#pragma once

// Retrying an operation that another process may hold up for a moment, with a time limit so a
// stuck process can never hang ours.

#include <algorithm>
#include <chrono>
#include <thread>

namespace history {

enum class Attempt { Done, Again, Failed };

// Calls `attempt` until it answers Done or Failed or `limit` has passed, sleeping 1 ms after
// the first Again and twice as long after each further one, up to 16 ms. True when it ended
// with Done.
template <typename AttemptFunction>
bool retryFor(std::chrono::milliseconds limit, AttemptFunction attempt) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::chrono::milliseconds pause{1};
    for (;;) {
        const Attempt result = attempt();
        if (result != Attempt::Again) {
            return result == Attempt::Done;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds{16});
    }
}

}  // namespace history
