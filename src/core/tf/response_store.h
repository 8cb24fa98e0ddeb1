// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace nirdal {

/// One computed point of the frequency characteristic.
struct ResponsePoint
{
    Extended Frequency = 0; ///< ω in rad/s
    Extended U = 0;         ///< Re W(jω)
    Extended V = 0;         ///< Im W(jω)
    friend bool operator==(const ResponsePoint&, const ResponsePoint&) = default;
};

constexpr int kFirstSlot = 1;
constexpr int kLastSlot = 200;

/// The 200 stored points of one variant, numbered 1..200 from high frequency to low.
/// Every access is checked: a slot outside 1..200 is a programming error.
class ResponseArrays
{
public:
    ResponsePoint& operator[](int slot) { return m_slots.at(Index(slot)); }
    const ResponsePoint& operator[](int slot) const { return m_slots.at(Index(slot)); }
    friend bool operator==(const ResponseArrays&, const ResponseArrays&) = default;

private:
    static std::size_t Index(int slot)
    {
        if (slot < kFirstSlot || slot > kLastSlot)
            throw std::out_of_range("response slot outside 1..200");
        return static_cast<std::size_t>(slot - kFirstSlot);
    }
    std::array<ResponsePoint, kLastSlot> m_slots{};
};

/// Every slot from `from` to 200 becomes a copy of slot from − 1, the last computed point.
/// Nothing happens when from > 200, nor when from < 3: slots 1 and 2 are the start pair
/// and no source before them is a computed point.
void FillRemainingSlots(ResponseArrays& store, std::uint16_t from);

} // namespace nirdal
