#include "database/Statement.h"

#include "database/PreparedStatement.h"
#include "database/Transaction.h"
#include "text/Win1250.h"

namespace zlt::db {

Statement::Statement(std::string name, Connection& connection, std::string sql)
    : name_(std::move(name)), connection_(connection), sql_(std::move(sql)) {}

void Statement::execute() {
    Transaction transaction(connection_, Transaction::Access::ReadWrite);
    {
        PreparedStatement statement(connection_, transaction, text::toWin1250(sql_));
        statement.execute();
    }
    transaction.commit();
}

}  // namespace zlt::db
