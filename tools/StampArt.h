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

// JPEG bytes of the image; libjpeg's errors become std::runtime_error.
std::vector<unsigned char> encodeJpeg(const RgbImage& image, int quality = 90);

// A round rubber stamp in the season's ink on white: a double ring with a ring of dots
// between, a sun for summer and a snowflake for winter.
RgbImage drawStamp(Season season, int width, int height);

// The four stamp pictures of an event folder: the main window's (184 x 100 pixels) and
// the printed sheets' (60 x 34 mm at 96 dpi, 227 x 128 pixels), for each season. With
// keepExisting, a picture already there is left alone.
void writeStampFiles(const std::filesystem::path& folder, bool keepExisting = false);

}  // namespace zlt::tools
