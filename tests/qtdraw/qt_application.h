// SPDX-License-Identifier: MIT
#pragma once

#include <QGuiApplication>

namespace nirdal {

/// The one application object fonts and paint devices need, made on first use.
inline QGuiApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "nirdal-tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    return application;
}

} // namespace nirdal
