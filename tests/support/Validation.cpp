#include "tests/support/Validation.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>

#include "database/FbClient.h"

namespace zlt::test {

bool Validation::sound() const {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Number of") != std::string::npos &&
            line.find("warnings") == std::string::npos) {
            return false;
        }
    }
    return status == 0;
}

Validation validate(const std::filesystem::path& database) {
    db::prepareEngineLockFolder();
    const std::string command = "gfix -v -full -user SYSDBA '" + database.string() + "' 2>&1";
    Validation result;
    FILE* output = popen(command.c_str(), "r");
    if (output == nullptr) {
        return result;
    }
    std::array<char, 512> chunk{};
    while (const std::size_t read = std::fread(chunk.data(), 1, chunk.size(), output)) {
        result.output.append(chunk.data(), read);
    }
    const int status = pclose(output);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace zlt::test
