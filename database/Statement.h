#pragma once

#include <string>

namespace zlt::db {

class Connection;

// A statement with a fixed text (IB_DSQL1, IB_DSQLF): each execute runs it once in its
// own transaction and commits.
class Statement {
public:
    Statement(std::string name, Connection& connection, std::string sql);

    const std::string& name() const { return name_; }
    const std::string& sql() const { return sql_; }
    void execute();

private:
    std::string name_;
    Connection& connection_;
    std::string sql_;
};

}  // namespace zlt::db
