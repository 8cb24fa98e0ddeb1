// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace nirdal {

/// A text for the reader in both of the program's languages, both UTF-8: nirdal-cli tells
/// the English, the screens and the class report the Russian.
struct Message
{
    std::string English;
    std::string Russian;

    /// True when there is nothing to tell, as for an empty text.
    bool empty() const { return English.empty() && Russian.empty(); }

    bool operator==(const Message&) const = default;
};

} // namespace nirdal
