#include "tests/support/BigJpeg.h"

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstdio>

#include <jpeglib.h>

#include <stdexcept>
#include <vector>

namespace zlt::test {

void writeBigJpeg(const std::filesystem::path& file, int width, int height, int quality) {
    FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) {
        throw std::runtime_error("Cannot create file " + file.string());
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            unsigned char* pixel = &row[static_cast<std::size_t>(x) * 3];
            pixel[0] = static_cast<unsigned char>((x / 9) % 2 ? 230 : 20);
            pixel[1] = static_cast<unsigned char>((y / 7) % 2 ? 210 : 40);
            pixel[2] = static_cast<unsigned char>(((x + y) / 50) % 2 ? 200 : 60);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(out) != 0) {
        throw std::runtime_error("Cannot create file " + file.string());
    }
}

}  // namespace zlt::test
