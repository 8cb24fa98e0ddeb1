// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nirdal::test_support {

/// Makes a FIFO at file, with its folder.
inline void MakeFifo(const std::filesystem::path& file)
{
    std::filesystem::create_directories(file.parent_path());
    if (::mkfifo(file.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make a FIFO at " + file.string());
}

/// Runs action on a thread of its own; true when it ends within limit. Past the limit every
/// FIFO of fifos is opened and closed for writing now and then, so that a reader waiting in
/// open() on one goes on and the test fails instead of hanging. action's exceptions pass on.
template <class Action>
bool EndsWithin(std::chrono::milliseconds limit, const std::vector<std::filesystem::path>& fifos,
                Action action)
{
    std::future<void> done = std::async(std::launch::async, std::move(action));
    const bool inTime = done.wait_for(limit) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        for (const std::filesystem::path& fifo : fifos) {
            // Without a reader waiting this fails at once (ENXIO) and nothing happens.
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
        }
    }
    done.get();
    return inTime;
}

} // namespace nirdal::test_support
