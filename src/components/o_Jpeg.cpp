#include "o_Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// jump back to decodeJpeg instead of letting the library end the process.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

// Warnings (corrupt or truncated data) count as failures too: a picture that
// decodes only in part is not shown half grey.
void onMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void silent(j_common_ptr) {}

constexpr unsigned long MaxPixels = 64ul * 1024 * 1024;

} // namespace

QImage decodeJpeg(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};

    // Everything that outlives a jump is declared before setjmp.
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    QImage image;
    std::vector<JSAMPLE> cmykRow;

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.pub.output_message = silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }

    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        static_cast<unsigned long>(cinfo.image_width) * cinfo.image_height > MaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);

    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    if (cmyk)
        cmykRow.resize(static_cast<std::size_t>(cinfo.output_width) * 4);

    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        uchar *line = image.scanLine(y);
        JSAMPROW row = cmyk ? cmykRow.data() : line;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk) {
            // Adobe writes CMYK inverted: each stored value is 255 - ink.
            for (unsigned x = 0; x < cinfo.output_width; ++x) {
                const unsigned k = cmykRow[x * 4 + 3];
                for (int c = 0; c < 3; ++c)
                    line[x * 3 + c] = static_cast<uchar>(cmykRow[x * 4 + c] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}
