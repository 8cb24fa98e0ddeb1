// SPDX-License-Identifier: MIT
#include "core/common/latest_job.h"

#include "support/time_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace nirdal {
namespace {

using namespace std::chrono_literals;

// A job that works until it is told to stop, or gives up after a hang guard.
struct Endless
{
    std::promise<void> started;
    std::atomic<bool> stopped{false};

    LatestJob::Job Job()
    {
        return [this](std::stop_token stop) {
            started.set_value();
            const auto give_up = std::chrono::steady_clock::now() + test_support::TimeLimit(5s);
            while (!stop.stop_requested() && std::chrono::steady_clock::now() < give_up)
                std::this_thread::sleep_for(1ms);
            stopped = stop.stop_requested();
        };
    }
};

TEST(LatestJob, ANewJobStopsTheRunningOneAndOnlyTheNewestWaitingOneRuns)
{
    Endless first;
    std::atomic<int> ran{0};
    std::promise<int> last;
    {
        LatestJob runner;
        runner.Run(first.Job());
        first.started.get_future().wait();
        // Both are handed over while the first runs: the second is replaced unstarted.
        runner.Run([&](std::stop_token) { ran += 1; });
        runner.Run([&](std::stop_token) {
            ran += 10;
            last.set_value(ran);
        });
        auto result = last.get_future();
        ASSERT_EQ(result.wait_for(test_support::TimeLimit(5s)), std::future_status::ready);
        EXPECT_EQ(result.get(), 10);
    }
    EXPECT_TRUE(first.stopped);
}

TEST(LatestJob, GoingAwayStopsTheRunningJobAndWaitsForIt)
{
    Endless job;
    const auto began = std::chrono::steady_clock::now();
    {
        LatestJob runner;
        runner.Run(job.Job());
        job.started.get_future().wait();
    }
    EXPECT_TRUE(job.stopped);
    EXPECT_LT(std::chrono::steady_clock::now() - began, test_support::TimeLimit(4s));
}

} // namespace
} // namespace nirdal
