#include "competition/EventFiles.h"

namespace zlt::competition {
namespace {

std::filesystem::path pictureNamed(const char* utf8Name) {
    return std::filesystem::path(reinterpret_cast<const char8_t*>(utf8Name));
}

}  // namespace

std::filesystem::path mainWindowPicture(bool summer) {
    return pictureNamed(summer ? "razítko - létoB.jpg" : "razítko - zimaB.jpg");
}

std::filesystem::path reportStamp(bool summer) {
    return pictureNamed(summer ? "razítko - léto.jpg" : "razítko - zima.jpg");
}

}  // namespace zlt::competition
