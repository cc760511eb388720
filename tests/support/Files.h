#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zlt::test {

// The whole file as bytes, exactly as stored.
inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace zlt::test
