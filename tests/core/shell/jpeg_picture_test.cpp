// SPDX-License-Identifier: MIT
#include "core/shell/jpeg_picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace nirdal {
namespace {

// A w × h JPEG whose left half is red and right half blue, made with libjpeg's compressor.
std::vector<std::uint8_t> MakeJpeg(int width, int height, bool greyscale = false)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = greyscale ? 1 : 3;
    info.in_color_space = greyscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    const int components = info.input_components;
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * components);
    for (int x = 0; x < width; ++x) {
        unsigned char* pixel = &row[static_cast<std::size_t>(x) * components];
        if (greyscale) {
            pixel[0] = x < width / 2 ? 40 : 200;
        } else {
            pixel[0] = x < width / 2 ? 255 : 0;
            pixel[1] = 0;
            pixel[2] = x < width / 2 ? 0 : 255;
        }
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

TEST(DecodeJpeg, DecodesSizeAndColours)
{
    const auto picture = DecodeJpeg(MakeJpeg(64, 32));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width, 64);
    EXPECT_EQ(picture->Height, 32);
    ASSERT_EQ(picture->Pixels.size(), 64u * 32u * 3u);
    const std::uint8_t* left = &picture->Pixels[(16 * 64 + 8) * 3];
    const std::uint8_t* right = &picture->Pixels[(16 * 64 + 56) * 3];
    EXPECT_GT(left[0], 230);
    EXPECT_LT(left[2], 25);
    EXPECT_LT(right[0], 25);
    EXPECT_GT(right[2], 230);
}

TEST(DecodeJpeg, GreyscaleComesOutAsEqualChannels)
{
    const auto picture = DecodeJpeg(MakeJpeg(16, 16, true));
    ASSERT_TRUE(picture.has_value());
    const std::uint8_t* pixel = &picture->Pixels[(8 * 16 + 12) * 3];
    EXPECT_NEAR(pixel[0], 200, 6);
    EXPECT_EQ(pixel[0], pixel[1]);
    EXPECT_EQ(pixel[1], pixel[2]);
}

TEST(DecodeJpeg, RefusesDamagedData)
{
    const std::vector<std::uint8_t> good = MakeJpeg(64, 64);
    std::vector<std::uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<std::uint8_t> noHeader(good.begin() + 20, good.end());
    std::vector<std::uint8_t> text{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
    std::vector<std::uint8_t> scrambled = good;
    for (std::size_t i = scrambled.size() / 2; i < scrambled.size() - 2; i += 3)
        scrambled[i] = 0xFF;
    EXPECT_FALSE(DecodeJpeg({}).has_value());
    EXPECT_FALSE(DecodeJpeg(truncated).has_value());
    EXPECT_FALSE(DecodeJpeg(noHeader).has_value());
    EXPECT_FALSE(DecodeJpeg(text).has_value());
    EXPECT_FALSE(DecodeJpeg(scrambled).has_value());
}

} // namespace
} // namespace nirdal
