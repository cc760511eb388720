#pragma once

// Private to the database layer: only its own sources include this header, as it brings
// the client library's types along.
#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::db {

class Connection;
class Transaction;
struct FbClient;

// The values of one row of parameters or of output columns, over the client's XSQLDA.
class SqlValues {
public:
    SqlValues();
    XSQLDA* get() { return reinterpret_cast<XSQLDA*>(storage_.get()); }
    int count() const;
    const XSQLVAR& var(int index) const;

    // Makes room for the described count; returns false when it had to grow (describe again).
    bool fit();
    // Gives every described value a buffer; integers of any width are read as 32 bits.
    void allocate();

    // The column's type as the database described it, before allocate() widened it.
    int describedType(int index) const { return describedTypes_[index]; }

    bool isNull(int index) const;
    std::int32_t integer(int index) const;
    std::string_view bytes(int index) const;  // text as stored, blank padding included

    void setNull(int index);
    void setInteger(int index, std::int32_t value);
    void setBytes(int index, std::string_view value);

private:
    XSQLVAR& at(int index);
    std::unique_ptr<char[]> storage_;
    int capacity_ = 0;
    std::vector<std::vector<char>> buffers_;
    std::vector<short> indicators_;
    std::vector<int> describedTypes_;
};

// One DSQL statement prepared in a transaction and freed when it goes out of scope.
class PreparedStatement {
public:
    PreparedStatement(Connection& connection, Transaction& transaction, std::string_view sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    SqlValues& params() { return params_; }
    SqlValues& columns() { return columns_; }

    void execute();           // a cursor to fetch from, or a statement without result
    void executeSingleton();  // a statement returning one row into columns()
    bool fetch();
    long affectedRows();

private:
    void check(const ISC_STATUS* status) const;

    const FbClient& client_;
    isc_tr_handle* transaction_;
    isc_stmt_handle handle_ = 0;
    SqlValues params_;
    SqlValues columns_;
};

}  // namespace zlt::db
