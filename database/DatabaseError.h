#pragma once

#include <stdexcept>
#include <string>

namespace zlt::db {

// Every failure of the data-access layer. The text is what the user reads: for the
// database's own refusals it is the database's message, line by line.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const std::string& message, long engineCode = 0)
        : std::runtime_error(message), engineCode_(engineCode) {}

    // The engine's error code (isc_...), 0 for errors raised by the layer itself.
    long engineCode() const { return engineCode_; }
    // The engine's code for a database file that another process holds open
    // (isc_already_opened).
    static constexpr long kHeldElsewhere = 335545107L;
    // The engine's code for a database file this user may read but not write (isc_no_priv).
    static constexpr long kNotWritable = 335544352L;

private:
    long engineCode_;
};

}  // namespace zlt::db
