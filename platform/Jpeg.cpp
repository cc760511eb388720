#include "platform/Jpeg.h"

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <QFile>
#include <csetjmp>
#include <stdexcept>

namespace zlt::platform {
namespace {

constexpr JDIMENSION kLargestSide = 10000;

struct Decoder {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
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
// a destructor lives here, since a longjmp may cross this function.
bool decode(Decoder& decoder, const unsigned char* data, unsigned long size, QImage* image) {
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
    *image = QImage(static_cast<int>(decoder.info.output_width),
                    static_cast<int>(decoder.info.output_height), QImage::Format_RGB888);
    if (image->isNull()) {
        std::snprintf(decoder.message, sizeof decoder.message, "not enough memory");
        jpeg_destroy_decompress(&decoder.info);
        return false;
    }
    while (decoder.info.output_scanline < decoder.info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(decoder.info.output_scanline));
        jpeg_read_scanlines(&decoder.info, &row, 1);
    }
    jpeg_finish_decompress(&decoder.info);
    jpeg_destroy_decompress(&decoder.info);
    return true;
}

}  // namespace

QImage decodeJpeg(const QByteArray& bytes, const QString& name) {
    Decoder decoder{};
    QImage image;
    if (bytes.isEmpty()) {
        std::snprintf(decoder.message, sizeof decoder.message, "the file is empty");
    } else if (decode(decoder, reinterpret_cast<const unsigned char*>(bytes.constData()),
                      static_cast<unsigned long>(bytes.size()), &image)) {
        return image;
    }
    throw std::runtime_error("Cannot read the picture " + name.toStdString() + ": " +
                             decoder.message);
}

QImage loadJpegFile(const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.string());
    QFile input(name);
    if (!input.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Cannot open file " + file.string());
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError) {
        throw std::runtime_error("Cannot open file " + file.string());
    }
    return decodeJpeg(bytes, name);
}

}  // namespace zlt::platform
