#include "treemap/build_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace treemap {
namespace {

TEST(BuildSchedule, OneBuildAtATimeAndARequestMeanwhileIsServedAfterIt) {
    BuildSchedule schedule;
    const auto first = schedule.begin();
    ASSERT_TRUE(first);
    EXPECT_TRUE(schedule.building());
    EXPECT_FALSE(schedule.begin());
    EXPECT_FALSE(schedule.begin());
    EXPECT_TRUE(schedule.buildPending());
    EXPECT_FALSE(schedule.takePending()) << "not while the build runs";

    EXPECT_EQ(schedule.finish(*first, 10), BuildSchedule::Verdict::Accepted);
    EXPECT_FALSE(schedule.building());
    EXPECT_TRUE(schedule.takePending());
    EXPECT_FALSE(schedule.takePending()) << "two requests during one build make one rebuild";

    const auto second = schedule.begin();
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
}

TEST(BuildSchedule, OnlyTheNewestBuildIsAcceptedAndOnlyItsTimeCounts) {
    BuildSchedule schedule;
    const auto started = schedule.begin();
    schedule.invalidate();  // another store, or the window went away
    EXPECT_EQ(schedule.finish(*started, 5000), BuildSchedule::Verdict::Discarded);
    EXPECT_FALSE(schedule.building()) << "a discarded build still ends";
    EXPECT_EQ(schedule.averageBuildSeconds(), 0);
    EXPECT_EQ(schedule.minRebuildInterval(), 0.25);

    const auto next = schedule.begin();
    EXPECT_EQ(schedule.finish(*next, 300), BuildSchedule::Verdict::Accepted);
    EXPECT_DOUBLE_EQ(schedule.averageBuildSeconds(), 0.3);
}

TEST(BuildSchedule, TheRebuildIntervalFollowsTheSmoothedBuildTime) {
    struct Case {
        const char* name;
        std::vector<double> milliseconds;
        double average, interval;
    };
    const Case cases[] = {
        {"fast builds keep the shortest interval", {50}, 0.05, 0.25},
        {"just under 85% of the interval", {200}, 0.2, 0.25},
        {"over 85% widens it to build time / 0.65", {300}, 0.3, 0.3 / 0.65},
        {"never beyond a second", {2000}, 2.0, 1.0},
        {"a new time weighs 0.3", {100, 400}, 0.19, 0.25},
        {"steady builds keep it", {300, 300, 300}, 0.3, 0.3 / 0.65},
        {"fast builds narrow it by a fifth a time",
         {2000, 10, 10, 10, 10, 10, 10, 10, 10},
         0.124720,
         0.512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildSchedule schedule;
        for (const double ms : c.milliseconds) {
            schedule.finish(*schedule.begin(), ms);
        }
        EXPECT_NEAR(schedule.averageBuildSeconds(), c.average, 1e-6);
        EXPECT_NEAR(schedule.minRebuildInterval(), c.interval, 1e-6);
    }

    BuildSchedule narrowing;
    narrowing.finish(*narrowing.begin(), 1000);
    for (int i = 0; i < 40; ++i) {
        narrowing.finish(*narrowing.begin(), 0.1);
    }
    EXPECT_EQ(narrowing.minRebuildInterval(), 0.25) << "never below a quarter second";
}

TEST(BuildSchedule, AScanOnEveryCoreKeepsBuildsToASmallerShare) {
    BuildSchedule schedule;
    schedule.resetForScan(true);
    schedule.finish(*schedule.begin(), 50);
    EXPECT_NEAR(schedule.minRebuildInterval(), 0.5, 1e-9) << "0.05 s a build over a tenth";
    schedule.finish(*schedule.begin(), 200);  // smoothed to 0.095 s
    EXPECT_NEAR(schedule.minRebuildInterval(), 0.95, 1e-9);
    for (int i = 0; i < 10; ++i) {
        schedule.finish(*schedule.begin(), 400);
    }
    EXPECT_EQ(schedule.minRebuildInterval(), 1.0) << "never beyond a second";

    schedule.resetForScan();
    schedule.finish(*schedule.begin(), 300);
    EXPECT_NEAR(schedule.minRebuildInterval(), 0.3 / 0.65, 1e-9) << "a core to spare again";
}

TEST(BuildSchedule, TimedRebuildsWaitForTheInterval) {
    BuildSchedule schedule;
    EXPECT_TRUE(schedule.claimTimedRebuild(10'000)) << "the first tick of a scan rebuilds";
    EXPECT_EQ(schedule.lastRebuildTime(), 10'000u);
    EXPECT_FALSE(schedule.claimTimedRebuild(10'100));
    EXPECT_FALSE(schedule.claimTimedRebuild(10'249));
    EXPECT_EQ(schedule.lastRebuildTime(), 10'000u) << "a refused tick does not restart the wait";
    EXPECT_TRUE(schedule.claimTimedRebuild(10'250));

    schedule.finish(*schedule.begin(), 600);  // interval 0.6 / 0.65
    EXPECT_FALSE(schedule.claimTimedRebuild(10'250 + 900));
    EXPECT_TRUE(schedule.claimTimedRebuild(10'250 + 924));

    schedule.resetForScan();
    EXPECT_EQ(schedule.lastRebuildTime(), 0u);
    EXPECT_EQ(schedule.averageBuildSeconds(), 0);
    EXPECT_EQ(schedule.minRebuildInterval(), 0.25);
    EXPECT_TRUE(schedule.claimTimedRebuild(10'250 + 925));
}

TEST(BuildSchedule, ABuildWhoseResultWasLostDoesNotBlockTheNext) {
    {
        SCOPED_TRACE("lost while current");
        BuildSchedule schedule;
        const auto lost = schedule.begin();
        EXPECT_FALSE(schedule.begin());
        schedule.lostBuilds()->record(*lost);
        const auto next = schedule.begin();
        ASSERT_TRUE(next);
        EXPECT_FALSE(schedule.buildPending());
    }
    {
        SCOPED_TRACE("lost after the store changed");
        BuildSchedule schedule;
        const auto lost = schedule.begin();
        schedule.invalidate();
        schedule.lostBuilds()->record(*lost);
        EXPECT_TRUE(schedule.begin());
    }
    {
        SCOPED_TRACE("an older loss does not end a newer build");
        BuildSchedule schedule;
        const auto old = schedule.begin();
        schedule.finish(*old, 1);
        ASSERT_TRUE(schedule.begin());
        schedule.lostBuilds()->record(*old);
        EXPECT_FALSE(schedule.begin());
        EXPECT_TRUE(schedule.building());
    }
}

}  // namespace
}  // namespace treemap
