// SPDX-License-Identifier: MIT
#include "core/roster/method_guide.h"

namespace nirdal {

std::filesystem::path FindMethodGuide(const std::filesystem::path& root,
                                      const std::vector<std::filesystem::path>& machineRoots)
{
    std::error_code error;
    const std::filesystem::path program = LocalPath({}, "metod\\albom.exe");
    if (std::filesystem::exists(program, error))
        return program;
    // A teacher who has no guide program can place a document beside the roster.
    std::vector<std::filesystem::path> roots{root};
    roots.insert(roots.end(), machineRoots.begin(), machineRoots.end());
    for (const std::filesystem::path& folder : roots) {
        for (const char* name : {"albom.pdf", "albom.html"}) {
            const std::filesystem::path document = folder / "metod" / name;
            if (std::filesystem::is_regular_file(document, error))
                return document;
        }
    }
    return {};
}

} // namespace nirdal
