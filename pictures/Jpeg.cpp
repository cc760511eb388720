#include "pictures/Jpeg.h"

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace zlt::pictures {
namespace {

constexpr JDIMENSION kLargestSide = 10000;

struct Decoder {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    unsigned char* row = nullptr;  // one decoded row; freed by the caller
};

// libjpeg must never end the process: a fatal error jumps back to decode(), and a warning
// is fatal too, since libjpeg would otherwise pad a damaged picture with grey.
[[noreturn]] void fail(j_common_ptr common) {
    auto* decoder = reinterpret_cast<Decoder*>(common);
    (*common->err->format_message)(common, decoder->message);
    std::longjmp(decoder->jump, 1);
}

void onMessage(j_common_ptr common, int level) {
    if (level < 0) {
        fail(common);
    }
}

void quiet(j_common_ptr) {}

// Fills image, or leaves the reason in decoder.message and returns false. No object with
// a destructor lives here, since a longjmp may cross this function. A width or height
// above zero in `kept` keeps only that much of the top-left corner.
bool decode(Decoder& decoder, const unsigned char* data, unsigned long size, QSize kept,
            QImage* image) {
    decoder.info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = fail;
    decoder.errors.emit_message = onMessage;
    decoder.errors.output_message = quiet;
    if (setjmp(decoder.jump)) {
        jpeg_destroy_decompress(&decoder.info);
        return false;
    }
    jpeg_create_decompress(&decoder.info);
    jpeg_mem_src(&decoder.info, data, size);
    jpeg_read_header(&decoder.info, TRUE);
    if (decoder.info.jpeg_color_space == JCS_CMYK || decoder.info.jpeg_color_space == JCS_YCCK) {
        std::snprintf(decoder.message, sizeof decoder.message, "CMYK pictures are not supported");
        jpeg_destroy_decompress(&decoder.info);
        return false;
    }
    if (decoder.info.image_width > kLargestSide || decoder.info.image_height > kLargestSide) {
        std::snprintf(decoder.message, sizeof decoder.message, "the picture is too large");
        jpeg_destroy_decompress(&decoder.info);
        return false;
    }
    decoder.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder.info);
    const JDIMENSION height = decoder.info.output_height;
    const JDIMENSION keptWidth = kept.width() > 0
                                     ? std::min<JDIMENSION>(kept.width(), decoder.info.output_width)
                                     : decoder.info.output_width;
    const JDIMENSION keptHeight =
        kept.height() > 0 ? std::min<JDIMENSION>(kept.height(), height) : height;
    // Cropped rows come in whole blocks; a block more than asked keeps the smoothing of
    // the colour planes at the kept right edge as it is in the whole picture.
    const JDIMENSION margin = 2 * DCTSIZE * decoder.info.max_h_samp_factor;
    if (keptWidth + margin < decoder.info.output_width) {
        JDIMENSION left = 0;
        JDIMENSION width = keptWidth + margin;
        jpeg_crop_scanline(&decoder.info, &left, &width);
    }
    *image =
        QImage(static_cast<int>(keptWidth), static_cast<int>(keptHeight), QImage::Format_RGB888);
    decoder.row =
        static_cast<unsigned char*>(std::malloc(std::size_t{decoder.info.output_width} * 3));
    if (image->isNull() || decoder.row == nullptr) {
        std::snprintf(decoder.message, sizeof decoder.message, "not enough memory");
        jpeg_destroy_decompress(&decoder.info);
        return false;
    }
    while (decoder.info.output_scanline < keptHeight) {
        const int y = static_cast<int>(decoder.info.output_scanline);
        JSAMPROW row = decoder.row;
        jpeg_read_scanlines(&decoder.info, &row, 1);
        std::memcpy(image->scanLine(y), decoder.row, std::size_t{keptWidth} * 3);
    }
    // The rows below are still read through, unshown, so that a damaged end refuses the
    // picture as it would refuse the whole. Skipping decodes the data without drawing it;
    // the last row is read so that the decoder goes on to the end of the file.
    if (decoder.info.output_scanline + 1 < height) {
        jpeg_skip_scanlines(&decoder.info, height - decoder.info.output_scanline - 1);
    }
    while (decoder.info.output_scanline < height) {
        JSAMPROW row = decoder.row;
        jpeg_read_scanlines(&decoder.info, &row, 1);
    }
    jpeg_finish_decompress(&decoder.info);
    jpeg_destroy_decompress(&decoder.info);
    return true;
}

}  // namespace

QImage decodeJpeg(const QByteArray& bytes, const QString& name, QSize kept) {
    Decoder decoder{};
    QImage image;
    bool decoded = false;
    if (bytes.isEmpty()) {
        std::snprintf(decoder.message, sizeof decoder.message, "the file is empty");
    } else {
        decoded = decode(decoder, reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<unsigned long>(bytes.size()), kept, &image);
    }
    std::free(decoder.row);
    if (decoded) {
        return image;
    }
    throw std::runtime_error("Cannot read the picture " + name.toStdString() + ": " +
                             decoder.message);
}

QImage loadJpegFile(const std::filesystem::path& file, QSize kept) {
    const QString name = QString::fromStdString(file.string());
    QFile input(name);
    if (!input.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Cannot open file " + file.string());
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError) {
        throw std::runtime_error("Cannot open file " + file.string());
    }
    return decodeJpeg(bytes, name, kept);
}

}  // namespace zlt::pictures
