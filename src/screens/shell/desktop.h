// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

namespace nirdal {

/// Makes the program look and read the same on every desktop, before any screen exists:
/// its own style, colours and font whatever the desktop's theme (a dark one would leave
/// dark text on the designed light panels), and Qt's own texts (standard buttons, the file
/// dialog, the menus of text fields) in Russian like the rest of the program. Returns false
/// when Qt's Russian translations are not installed; the program then goes on with Qt's
/// English texts.
bool SetUpDesktop(QApplication& application);

} // namespace nirdal
