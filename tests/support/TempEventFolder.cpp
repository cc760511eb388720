#include "tests/support/TempEventFolder.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>

#include "competition/EventFiles.h"
#include "tools/EventFolder.h"

namespace zlt::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zlt-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

TempEventFolder::TempEventFolder() : path_(root_.path() / "Závody ZLT") {
    tools::createEventFolder(path_);
}

TempEventFolder::~TempEventFolder() = default;

std::filesystem::path TempEventFolder::database() const {
    return path_ / competition::kDatabaseFile;
}

}  // namespace zlt::test
