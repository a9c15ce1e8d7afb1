#pragma once

// When the treemap view builds a picture: at most one build at a time, a request that arrives
// meanwhile remembered and served once the running build ends, only the newest build's picture
// accepted, and during a scan rebuilds no closer together than an interval that follows how long
// builds take. Times are passed in, so the rules are exact under test.

#include "treemap/treemap_build.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace treemap {

inline constexpr double kShortestRebuildInterval = 0.25;
inline constexpr double kLongestRebuildInterval = 1.0;

class BuildSchedule {
  public:
    // Starts a build unless one is running, in which case the request is remembered
    // (buildPending) and nothing is answered. A running build whose result was lost on its way
    // (see LostBuilds) no longer counts as running. The answer is the new build's generation.
    std::optional<std::uint32_t> begin();

    enum class Verdict { Accepted, Discarded };
    // A build of `generation` that took `milliseconds` ended. Accepted when it is the newest
    // build: its time then adjusts the interval between timed rebuilds. Either way no build runs
    // any more; takePending tells whether a remembered request should start now.
    Verdict finish(std::uint32_t generation, double milliseconds);
    // True once after a build ended while a request was remembered; clears the request.
    bool takePending();

    // Makes every build started so far stale: its result will be discarded.
    void invalidate() { ++generation_; }

    // A new scan starts from the shortest interval with no build time measured. A scan whose
    // threads take every core of the machine (`scanTakesEveryCore`) leaves the pictures no core
    // of their own: every build then slows the scan, so builds aim at a smaller share of the
    // interval, which therefore grows sooner (to the same longest interval).
    void resetForScan(bool scanTakesEveryCore = false);
    // The progress tick's gate: true (and `now` becomes lastRebuildTime) when no timed rebuild
    // happened yet or minRebuildInterval seconds have passed since the last one.
    bool claimTimedRebuild(std::uint64_t nowMilliseconds);

    // Where the build threads report results they could not deliver.
    const std::shared_ptr<LostBuilds>& lostBuilds() const { return lost_; }

    bool building() const { return building_; }
    bool buildPending() const { return buildPending_; }
    std::uint32_t generation() const { return generation_; }
    double averageBuildSeconds() const { return averageBuildSeconds_; }
    double minRebuildInterval() const { return minRebuildInterval_; }
    std::uint64_t lastRebuildTime() const { return lastRebuildTime_; }

  private:
    void adapt(double milliseconds);

    bool building_ = false;
    bool buildPending_ = false;
    std::uint32_t generation_ = 0;
    std::uint32_t runningGeneration_ = 0;
    double averageBuildSeconds_ = 0;
    double minRebuildInterval_ = kShortestRebuildInterval;
    double targetShare_ = 0.65;
    std::uint64_t lastRebuildTime_ = 0;
    std::shared_ptr<LostBuilds> lost_ = std::make_shared<LostBuilds>();
};

}  // namespace treemap
