// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace nirdal {

/// Runs jobs one at a time on a thread of its own, and only the newest: a job handed over
/// while another runs asks that one to stop through its stop token, and jobs handed over
/// meanwhile replace each other unstarted. A job that sees its token stopped should return
/// at once; what it would have delivered is stale.
///
/// The destructor stops the running job and waits for it, so a job may post its result to
/// the owner of the runner: the owner is still whole while any job runs.
class LatestJob
{
public:
    using Job = std::function<void(std::stop_token stop)>;

    LatestJob();
    ~LatestJob();
    LatestJob(const LatestJob&) = delete;
    LatestJob& operator=(const LatestJob&) = delete;

    /// Hands job over; the running one, if any, is asked to stop.
    void Run(Job job);

private:
    void Work(std::stop_token quit);

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::optional<Job> m_next;
    std::stop_source m_running;
    std::jthread m_thread; // last: it stops and joins before the rest goes
};

} // namespace nirdal
