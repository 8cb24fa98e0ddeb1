// SPDX-License-Identifier: MIT
#pragma once

#include "core/response/response_computation.h"
#include "core/tf/tf_text.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace nirdal::testing_support {

/// A variant read from "NUM:DEN[:DELAY]"; throws on bad text so a typo in a test is loud.
inline TransferFunction Variant(const char* text)
{
    TransferFunction variant;
    std::string error;
    if (!ParseTransferFunctionText(text, variant, error))
        throw std::invalid_argument(error);
    return variant;
}

/// Fills every slot with a recognisable point, so untouched slots can be told apart.
inline void FillWithSentinels(ResponseArrays& store)
{
    for (int k = kFirstSlot; k <= kLastSlot; ++k)
        store[k] = {-1000.0L - k, 7, -7};
}

/// Keeps what the computation asked of its screen.
class FakeScreen final : public ResponseScreen
{
public:
    void SetVisible(ScreenControl control, bool visible) override
    {
        m_visible[control] = visible;
        log.push_back(std::string(visible ? "show " : "hide ") + ControlName(control));
    }
    void SetCaption(ScreenControl control, std::string_view text) override
    {
        m_captions[control] = std::string(text);
    }
    void RequestClose() override
    {
        ++closeRequests;
        if (onClose)
            onClose();
    }

    bool Visible(ScreenControl control) const
    {
        const auto it = m_visible.find(control);
        return it != m_visible.end() && it->second;
    }
    /// The caption as UTF-8.
    std::string Caption(ScreenControl control) const
    {
        const auto it = m_captions.find(control);
        return it == m_captions.end() ? std::string() : it->second;
    }

    std::vector<std::string> log;
    int closeRequests = 0;
    std::function<void()> onClose;

private:
    std::map<ScreenControl, bool> m_visible;
    std::map<ScreenControl, std::string> m_captions;
};

} // namespace nirdal::testing_support
