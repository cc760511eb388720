#pragma once

#include <filesystem>
#include <vector>

namespace zlt::tools {

enum class Season { Summer, Winter };

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // RGB, row by row, 3 bytes a pixel
};

// JPEG bytes of the image (quality 1..100; libjpeg clamps other values). A malformed image
// or any libjpeg error becomes std::runtime_error; libjpeg itself never prints or exits.
std::vector<unsigned char> encodeJpeg(const RgbImage& image, int quality = 90);

// A rubber stamp in the season's ink on white: an oval double ring with dots between, a
// sun for summer and a snowflake for winter. The same arguments always give the same
// pixels. Throws std::invalid_argument for a size too small to draw.
RgbImage drawStamp(Season season, int width, int height);

// The stamp as JPEG bytes in the main window's size (184 x 100 pixels) or the printed
// sheets' size (60 x 34 mm at 96 dpi, 227 x 128 pixels).
std::vector<unsigned char> makeStampJpeg(Season season, bool mainWindowSize);

// Writes the four stamp pictures of an event folder, each completely or not at all, and
// throws std::runtime_error naming the file that could not be written. With keepExisting,
// a picture already there is left alone.
void writeStampFiles(const std::filesystem::path& folder, bool keepExisting = false);

}  // namespace zlt::tools
