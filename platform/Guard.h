#pragma once

#include <functional>

namespace zlt::platform {

// Runs a handler of the user interface. Whatever it throws ends it at the failing step and
// is shown in the general error message; the program then waits for the next input.
// Returns true when the handler ran to its end.
bool runGuarded(const std::function<void()>& handler);

}  // namespace zlt::platform
