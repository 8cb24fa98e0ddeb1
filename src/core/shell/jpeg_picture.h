// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace nirdal {

/// A decoded picture: rows top to bottom, three bytes (red, green, blue) per pixel.
struct RgbPicture
{
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels; ///< Width * Height * 3 bytes
};

/// Decodes a baseline or progressive JPEG (colour or greyscale) held in memory. Returns
/// nothing when the data is not a JPEG, is damaged or truncated, or is implausibly large.
std::optional<RgbPicture> DecodeJpeg(std::span<const std::uint8_t> data);

} // namespace nirdal
