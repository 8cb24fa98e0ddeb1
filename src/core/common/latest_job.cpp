// SPDX-License-Identifier: MIT
#include "core/common/latest_job.h"

namespace nirdal {

LatestJob::LatestJob() : m_thread([this](std::stop_token quit) { Work(quit); }) {}

LatestJob::~LatestJob()
{
    m_thread.request_stop();
    const std::lock_guard lock(m_mutex);
    m_running.request_stop();
}

void LatestJob::Run(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_next = std::move(job);
        m_running.request_stop();
    }
    m_wake.notify_one();
}

void LatestJob::Work(std::stop_token quit)
{
    std::unique_lock lock(m_mutex);
    while (m_wake.wait(lock, quit, [this] { return m_next.has_value(); }) &&
           !quit.stop_requested()) {
        Job job = std::move(*m_next);
        m_next.reset();
        m_running = std::stop_source();
        const std::stop_token stop = m_running.get_token();
        lock.unlock();
        job(stop);
        lock.lock();
    }
}

} // namespace nirdal
