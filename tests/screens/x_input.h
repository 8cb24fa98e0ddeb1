// SPDX-License-Identifier: MIT
#pragma once

// Real input through the X server (the XTEST extension), aimed at where the window manager
// has really put a window: the X server asked where the window is, not Qt's idea of it.
// An event goes the whole way a student's click or key goes: X server, window manager,
// Qt's event dispatch, the screen.

#include <QGuiApplication>
#include <QPoint>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace nirdal::testing {

// Keys by their X keysym.
enum class Key : xcb_keysym_t
{
    Tab = 0xff09,
    Return = 0xff0d,
    Escape = 0xff1b,
    Left = 0xff51,
    Up = 0xff52,
    Right = 0xff53,
    Down = 0xff54,
    Space = 0x0020,
};

class XInput
{
public:
    XInput()
    {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            m_connection = x11->connection();
        if (m_connection == nullptr)
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        LoadKeyboardMapping();
    }

    /// Whether the program runs on an X display with the XTEST extension.
    bool Available() const
    {
        if (m_connection == nullptr)
            return false;
        const auto* extension = xcb_get_extension_data(m_connection, &xcb_test_id);
        return extension != nullptr && extension->present;
    }

    /// The point of the screen where a point of the widget really is.
    QPoint ScreenPoint(const QWidget* widget, QPoint at) const
    {
        const QWidget* window = widget->window();
        const QPoint inWindow = widget->mapTo(window, at);
        const auto cookie = xcb_translate_coordinates(
            m_connection, static_cast<xcb_window_t>(window->winId()), m_root,
            static_cast<int16_t>(inWindow.x()), static_cast<int16_t>(inWindow.y()));
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
            xcb_translate_coordinates_reply(m_connection, cookie, nullptr), &std::free);
        return reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint();
    }

    /// Whether a click at that point of the widget would reach the widget's window: no other
    /// window (one still being taken down, a hint) covers it at the X server.
    bool Uncovered(const QWidget* widget, QPoint at = {}) const
    {
        const QPoint point = ScreenPoint(widget, at.isNull() ? widget->rect().center() : at);
        const auto target = static_cast<xcb_window_t>(widget->window()->winId());
        // Down from the root through the windows holding the point (a frame, then its client).
        xcb_window_t holder = m_root;
        for (int depth = 0; depth < 8; ++depth) {
            const auto cookie =
                xcb_translate_coordinates(m_connection, m_root, holder,
                                          static_cast<int16_t>(point.x()),
                                          static_cast<int16_t>(point.y()));
            std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
                xcb_translate_coordinates_reply(m_connection, cookie, nullptr), &std::free);
            if (!reply || reply->child == XCB_WINDOW_NONE)
                return false;
            if (reply->child == target)
                return true;
            holder = reply->child;
        }
        return false;
    }

    /// Whether the X server sends the keyboard to the widget's window: what a student sees
    /// in the window's title bar, and sometimes behind what Qt already believes.
    bool HasKeyboard(const QWidget* widget) const
    {
        const auto cookie = xcb_get_input_focus(m_connection);
        std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
            xcb_get_input_focus_reply(m_connection, cookie, nullptr), &std::free);
        return reply && reply->focus == static_cast<xcb_window_t>(widget->window()->winId());
    }

    /// A left click at a point of the widget (its middle by default).
    void Click(const QWidget* widget, QPoint at = {}) const
    {
        ClickAt(ScreenPoint(widget, at.isNull() ? widget->rect().center() : at));
    }

    /// A left click at a point of the screen; it may come from any thread, as a student's
    /// click comes whatever the program is doing.
    void ClickAt(QPoint point) const
    {
        Fake(XCB_MOTION_NOTIFY, 0, point);
        Fake(XCB_BUTTON_PRESS, 1, point);
        Fake(XCB_BUTTON_RELEASE, 1, point);
        xcb_flush(m_connection);
    }

    /// A press and release of a key, to whichever window has the keyboard.
    void Press(Key key) const { PressKeysym(static_cast<xcb_keysym_t>(key)); }

    /// Types digits, points and commas.
    void Type(const QString& text) const
    {
        for (const QChar letter : text)
            PressKeysym(letter.unicode()); // Latin-1 keysyms are their own code points
    }

private:
    void PressKeysym(xcb_keysym_t keysym) const
    {
        const xcb_keycode_t code = Keycode(keysym);
        if (code == 0) {
            qWarning("no key for keysym 0x%x", keysym);
            return;
        }
        Fake(XCB_KEY_PRESS, code, {});
        Fake(XCB_KEY_RELEASE, code, {});
        xcb_flush(m_connection);
    }

    void Fake(uint8_t type, uint8_t detail, QPoint at) const
    {
        xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, m_root,
                            static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()), 0);
    }

    void LoadKeyboardMapping()
    {
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        m_firstKeycode = setup->min_keycode;
        const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
        const auto cookie = xcb_get_keyboard_mapping(m_connection, m_firstKeycode, count);
        m_mapping.reset(xcb_get_keyboard_mapping_reply(m_connection, cookie, nullptr));
    }

    // The first key whose unshifted symbol is the keysym.
    xcb_keycode_t Keycode(xcb_keysym_t keysym) const
    {
        if (!m_mapping)
            return 0;
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(m_mapping.get());
        const int perKey = m_mapping->keysyms_per_keycode;
        const int length = xcb_get_keyboard_mapping_keysyms_length(m_mapping.get());
        for (int i = 0; i + perKey <= length; i += perKey)
            if (symbols[i] == keysym)
                return static_cast<xcb_keycode_t>(m_firstKeycode + i / perKey);
        return 0;
    }

    struct FreeReply
    {
        void operator()(void* reply) const { std::free(reply); }
    };

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_firstKeycode = 0;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeReply> m_mapping;
};

} // namespace nirdal::testing
