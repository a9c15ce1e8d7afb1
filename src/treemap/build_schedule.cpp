#include "treemap/build_schedule.h"

#include <algorithm>

namespace treemap {

namespace {

// The weight of a new measurement in the smoothed build time.
constexpr double kNewWeight = 0.3;
// Builds that fill more than this share of the interval widen it...
constexpr double kCrowded = 0.85;
// ...to this many intervals per build...
constexpr double kTargetShare = 0.65;
// ...or this many when builds can only run on the scan's cores: every build then takes its time
// from the scan, so pictures reach the longest interval as soon as a build takes a tenth of a
// second, and the scan keeps about nine tenths of the machine.
constexpr double kSharedCoresTargetShare = 0.1;
// ...and builds under half the target share narrow it by a fifth.
constexpr double kNarrowing = 0.8;

}  // namespace

std::optional<std::uint32_t> BuildSchedule::begin() {
    if (building_ && lost_->has(runningGeneration_)) {
        building_ = false;
    }
    if (building_) {
        buildPending_ = true;
        return std::nullopt;
    }
    building_ = true;
    buildPending_ = false;
    runningGeneration_ = ++generation_;
    return runningGeneration_;
}

BuildSchedule::Verdict BuildSchedule::finish(std::uint32_t generation, double milliseconds) {
    building_ = false;
    if (generation != generation_) {
        return Verdict::Discarded;
    }
    adapt(milliseconds);
    return Verdict::Accepted;
}

bool BuildSchedule::takePending() {
    if (building_ || !buildPending_) {
        return false;
    }
    buildPending_ = false;
    return true;
}

void BuildSchedule::adapt(double milliseconds) {
    double seconds = milliseconds / 1000;
    if (averageBuildSeconds_ != 0) {
        seconds = kNewWeight * seconds + (1 - kNewWeight) * averageBuildSeconds_;
    }
    averageBuildSeconds_ = seconds;
    // The crowding threshold keeps its ratio to the target share.
    if (seconds > kCrowded / kTargetShare * targetShare_ * minRebuildInterval_) {
        minRebuildInterval_ = std::min(kLongestRebuildInterval, seconds / targetShare_);
    } else if (seconds < minRebuildInterval_ * targetShare_ * 0.5) {
        minRebuildInterval_ = std::max(kShortestRebuildInterval, kNarrowing * minRebuildInterval_);
    }
}

void BuildSchedule::resetForScan(bool scanTakesEveryCore) {
    targetShare_ = scanTakesEveryCore ? kSharedCoresTargetShare : kTargetShare;
    lastRebuildTime_ = 0;
    averageBuildSeconds_ = 0;
    minRebuildInterval_ = kShortestRebuildInterval;
}

bool BuildSchedule::claimTimedRebuild(std::uint64_t nowMilliseconds) {
    if (lastRebuildTime_ != 0) {
        const std::uint64_t since =
            nowMilliseconds > lastRebuildTime_ ? nowMilliseconds - lastRebuildTime_ : 0;
        if (static_cast<double>(since) / 1000 < minRebuildInterval_) {
            return false;
        }
    }
    lastRebuildTime_ = nowMilliseconds;
    return true;
}

}  // namespace treemap
