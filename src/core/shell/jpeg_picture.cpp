// SPDX-License-Identifier: MIT
#include "core/shell/jpeg_picture.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace nirdal {
namespace {

// Pictures of this program are a few hundred pixels wide; a header claiming more than this
// is damaged, and believing it would only allocate memory for nothing.
constexpr long kMaxPixels = 16L * 1024 * 1024;

// libjpeg reports errors by calling error_exit, which must not return: jump back to the
// decoder instead of letting the library end the process.
struct ErrorManager
{
    jpeg_error_mgr Base;
    std::jmp_buf ReturnPoint;
};

[[noreturn]] void ExitToDecoder(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->ReturnPoint, 1);
}

// Warnings (a truncated stream, corrupt entropy data) still produce an image made up by the
// library; count them rather than print them, so such a picture can be refused.
void CountWarning(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

void IgnoreMessage(j_common_ptr) {}

// Kept apart from DecodeJpeg so that no object with a destructor lives in the frame that
// setjmp returns to twice; the pixels go through a pointer into memory the caller owns.
bool DecodeInto(const std::uint8_t* data, std::size_t size, RgbPicture* picture)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = ExitToDecoder;
    errors.Base.emit_message = CountWarning;
    errors.Base.output_message = IgnoreMessage;
    if (setjmp(errors.ReturnPoint)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
        long{info.image_width} * info.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture->Width = static_cast<int>(info.output_width);
    picture->Height = static_cast<int>(info.output_height);
    const std::size_t stride = std::size_t{info.output_width} * 3;
    picture->Pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture->Pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const bool clean = errors.Base.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    return clean;
}

} // namespace

std::optional<RgbPicture> DecodeJpeg(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return std::nullopt;
    RgbPicture picture;
    if (!DecodeInto(data.data(), data.size(), &picture))
        return std::nullopt;
    return picture;
}

} // namespace nirdal
