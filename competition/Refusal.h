#pragma once

#include <stdexcept>

namespace zlt::competition {

// An action the program refuses by a rule of its own, not because the database said no: a
// total that does not fit its field, an event folder that already holds a database, a text
// the settings file cannot hold. The text is what the user reads.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace zlt::competition
