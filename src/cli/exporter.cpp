// SPDX-License-Identifier: MIT
#include "cli/exporter.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace nirdal::cli {

std::string ExporterPath(std::string& error)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        error = std::string("cannot find my own directory: ") + std::strerror(errno);
        return {};
    }
    std::string directory(self, static_cast<std::size_t>(length));
    directory.erase(directory.rfind('/') + 1);
    for (const auto& candidate :
         {directory + "nirdal-export", directory + NIRDAL_EXPORT_DIR "/nirdal-export"}) {
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    error = "cannot find nirdal-export in " + directory + " or " + directory + NIRDAL_EXPORT_DIR;
    return {};
}

} // namespace nirdal::cli
