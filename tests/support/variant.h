// SPDX-License-Identifier: MIT
#pragma once

#include "core/tf/tf_text.h"

#include <gtest/gtest.h>

#include <string>

namespace nirdal::test_support {

/// The variant of "NUM:DEN[:DELAY]" as --tf reads it, with delay seconds of delay; a
/// failure of the test when the text is refused.
inline TransferFunction Tf(const char* text, Extended delay = 0)
{
    TransferFunction tf;
    std::string error;
    EXPECT_TRUE(ParseTransferFunctionText(text, tf, error)) << text << ": " << error;
    if (delay != 0)
        tf.Delay = delay;
    return tf;
}

} // namespace nirdal::test_support
