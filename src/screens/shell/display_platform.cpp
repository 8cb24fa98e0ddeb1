// SPDX-License-Identifier: MIT
#include "screens/shell/display_platform.h"

namespace nirdal {
namespace {

bool IsSet(const char* value)
{
    return value != nullptr && *value != '\0';
}

} // namespace

const char* ChosenPlatform(const char* waylandDisplay, const char* x11Display,
                           const char* qpaPlatform)
{
    if (qpaPlatform != nullptr || !IsSet(waylandDisplay) || !IsSet(x11Display))
        return nullptr;
    return "xcb";
}

} // namespace nirdal
