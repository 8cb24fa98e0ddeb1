// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace nirdal {

/// count followed by the noun in the form Russian takes after it: one (1, 21, …), few
/// (2–4, 22–24, …) or many (0, 5–20, 25–30, …): "1 студент", "3 студента", "11 студентов".
std::string RussianCount(long long count, std::string_view one, std::string_view few,
                         std::string_view many);

/// number text (as printf writes it) with the decimal comma a Russian reader expects.
std::string DecimalComma(std::string text);

} // namespace nirdal
