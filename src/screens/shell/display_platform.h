// SPDX-License-Identifier: MIT
#pragma once

namespace nirdal {

/// The window system plugin the program asks Qt for, or null to leave Qt's own choice, from
/// the environment variables WAYLAND_DISPLAY, DISPLAY and QT_QPA_PLATFORM (null when unset).
///
/// Every screen stands at a fixed place and the degree screen has a shaped window; a Wayland
/// client may do neither. On a Wayland desktop that runs XWayland (DISPLAY set) the program
/// therefore runs as an X client ("xcb"), unless the user has chosen a platform himself.
const char* ChosenPlatform(const char* waylandDisplay, const char* x11Display,
                           const char* qpaPlatform);

} // namespace nirdal
