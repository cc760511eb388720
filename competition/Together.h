#pragma once

#include <functional>
#include <initializer_list>

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// Runs the work, which writes through the rows, in one transaction of their connection:
// all of it is committed or none. When the work throws, the rows go back to what the
// tables still hold, without the work's own pending row, and its error goes on.
void writeTogether(std::initializer_list<db::ResultSet*> rows, const std::function<void()>& work);

}  // namespace zlt::competition
