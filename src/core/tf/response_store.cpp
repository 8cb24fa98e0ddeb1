// SPDX-License-Identifier: MIT
#include "core/tf/response_store.h"

namespace nirdal {

void FillRemainingSlots(ResponseArrays& store, std::uint16_t from)
{
    if (from < 3 || from > kLastSlot)
        return;
    const ResponsePoint last = store[from - 1];
    for (int slot = from; slot <= kLastSlot; ++slot)
        store[slot] = last;
}

} // namespace nirdal
