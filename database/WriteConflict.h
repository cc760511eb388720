#pragma once

#include "database/DatabaseError.h"

namespace zlt::db {

// A post refused because another program (another judges' table) changed or deleted the
// row since it was read. The row stays being typed, so that nothing typed is lost, and the
// message says what the other table stored and how to go on.
class WriteConflict : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

}  // namespace zlt::db
