#pragma once

#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace zlt::test {

// The message of the Error that the action throws, or none when it throws nothing. An
// exception of another type passes through, so a test still tells the two apart.
template <typename Error = std::exception, typename Action>
std::optional<std::string> thrownMessage(Action&& action) {
    try {
        std::forward<Action>(action)();
    } catch (const Error& error) {
        return error.what();
    }
    return std::nullopt;
}

}  // namespace zlt::test
