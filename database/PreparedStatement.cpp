#include "database/PreparedStatement.h"

#include <cstring>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/FbClient.h"
#include "database/Transaction.h"

namespace zlt::db {
namespace {

constexpr unsigned short kDialect = 3;

int baseType(const XSQLVAR& var) {
    return var.sqltype & ~1;
}

}  // namespace

SqlValues::SqlValues() {
    capacity_ = 1;
    storage_ = std::make_unique<char[]>(XSQLDA_LENGTH(capacity_));
    std::memset(storage_.get(), 0, XSQLDA_LENGTH(capacity_));
    get()->version = SQLDA_VERSION1;
    get()->sqln = static_cast<short>(capacity_);
}

int SqlValues::count() const {
    return reinterpret_cast<const XSQLDA*>(storage_.get())->sqld;
}

const XSQLVAR& SqlValues::var(int index) const {
    return reinterpret_cast<const XSQLDA*>(storage_.get())->sqlvar[index];
}

XSQLVAR& SqlValues::at(int index) {
    return get()->sqlvar[index];
}

bool SqlValues::fit() {
    const int needed = count();
    if (needed <= capacity_) {
        return true;
    }
    capacity_ = needed;
    storage_ = std::make_unique<char[]>(XSQLDA_LENGTH(capacity_));
    std::memset(storage_.get(), 0, XSQLDA_LENGTH(capacity_));
    get()->version = SQLDA_VERSION1;
    get()->sqln = static_cast<short>(capacity_);
    return false;
}

void SqlValues::allocate() {
    const int n = count();
    buffers_.assign(n, {});
    indicators_.assign(n, 0);
    describedTypes_.assign(n, 0);
    for (int i = 0; i < n; ++i) {
        XSQLVAR& v = at(i);
        const int type = baseType(v);
        describedTypes_[i] = type;
        if (type == SQL_SHORT || type == SQL_LONG) {
            v.sqltype = SQL_LONG | 1;
            v.sqllen = sizeof(std::int32_t);
        } else {
            v.sqltype = static_cast<short>(type | 1);
        }
        // Room for a VARCHAR's length word; alignment of the integer is kept by vector.
        buffers_[i].assign(v.sqllen + sizeof(short) + sizeof(std::int32_t), 0);
        v.sqldata = buffers_[i].data();
        v.sqlind = &indicators_[i];
    }
}

bool SqlValues::isNull(int index) const {
    return indicators_[index] < 0;
}

std::int32_t SqlValues::integer(int index) const {
    std::int32_t value;
    std::memcpy(&value, var(index).sqldata, sizeof value);
    return value;
}

std::string_view SqlValues::bytes(int index) const {
    const XSQLVAR& v = var(index);
    if (baseType(v) == SQL_VARYING) {
        short length;
        std::memcpy(&length, v.sqldata, sizeof length);
        return {v.sqldata + sizeof(short), static_cast<std::size_t>(length)};
    }
    return {v.sqldata, static_cast<std::size_t>(v.sqllen)};
}

void SqlValues::setNull(int index) {
    XSQLVAR& v = at(index);
    v.sqltype = static_cast<short>(baseType(v) | 1);
    v.sqldata = nullptr;
    indicators_[index] = -1;
    v.sqlind = &indicators_[index];
}

void SqlValues::setInteger(int index, std::int32_t value) {
    XSQLVAR& v = at(index);
    buffers_[index].resize(sizeof value);
    std::memcpy(buffers_[index].data(), &value, sizeof value);
    v.sqltype = SQL_LONG | 1;
    v.sqlscale = 0;
    v.sqllen = sizeof value;
    v.sqldata = buffers_[index].data();
    indicators_[index] = 0;
    v.sqlind = &indicators_[index];
}

void SqlValues::setBytes(int index, std::string_view value) {
    XSQLVAR& v = at(index);
    buffers_[index].assign(value.begin(), value.end());
    buffers_[index].push_back('\0');  // never hand out an empty buffer
    v.sqltype = SQL_TEXT | 1;
    v.sqllen = static_cast<short>(value.size());
    v.sqldata = buffers_[index].data();
    indicators_[index] = 0;
    v.sqlind = &indicators_[index];
}

PreparedStatement::PreparedStatement(Connection& connection, Transaction& transaction,
                                     std::string_view sql)
    : client_(connection.client()), transaction_(transaction.handle()) {
    ISC_STATUS_ARRAY status{};
    client_.dsql_allocate_statement(status, connection.handle(), &handle_);
    check(status);
    const std::string text(sql);
    client_.dsql_prepare(status, transaction_, &handle_, 0, text.c_str(), kDialect, columns_.get());
    check(status);
    if (!columns_.fit()) {
        client_.dsql_describe(status, &handle_, kDialect, columns_.get());
        check(status);
    }
    columns_.allocate();
    client_.dsql_describe_bind(status, &handle_, kDialect, params_.get());
    check(status);
    if (!params_.fit()) {
        client_.dsql_describe_bind(status, &handle_, kDialect, params_.get());
        check(status);
    }
    params_.allocate();
}

PreparedStatement::~PreparedStatement() {
    ISC_STATUS_ARRAY status{};
    client_.dsql_free_statement(status, &handle_, DSQL_drop);
}

void PreparedStatement::check(const ISC_STATUS* status) const {
    client_.check(status);
}

void PreparedStatement::execute() {
    ISC_STATUS_ARRAY status{};
    client_.dsql_execute(status, transaction_, &handle_, kDialect,
                         params_.count() > 0 ? params_.get() : nullptr);
    check(status);
}

void PreparedStatement::executeSingleton() {
    ISC_STATUS_ARRAY status{};
    client_.dsql_execute2(status, transaction_, &handle_, kDialect,
                          params_.count() > 0 ? params_.get() : nullptr, columns_.get());
    check(status);
}

bool PreparedStatement::fetch() {
    ISC_STATUS_ARRAY status{};
    const ISC_STATUS result = client_.dsql_fetch(status, &handle_, kDialect, columns_.get());
    if (result == 100) {
        return false;
    }
    check(status);
    return true;
}

long PreparedStatement::affectedRows() {
    const char items[] = {isc_info_sql_records};
    char buffer[64] = {};
    ISC_STATUS_ARRAY status{};
    client_.dsql_sql_info(status, &handle_, sizeof items, items, sizeof buffer, buffer);
    check(status);
    // isc_info_sql_records, length, then clusters of (item, length, little-endian count).
    long total = 0;
    auto readInt = [&](const char* p, int n) {
        long value = 0;
        for (int i = 0; i < n; ++i) {
            value |= static_cast<long>(static_cast<unsigned char>(p[i])) << (8 * i);
        }
        return value;
    };
    if (buffer[0] != isc_info_sql_records) {
        return 0;
    }
    const char* p = buffer + 3;
    while (p < buffer + sizeof buffer && *p != isc_info_end) {
        const char item = *p++;
        const int length = static_cast<int>(readInt(p, 2));
        p += 2;
        if (item == isc_info_req_update_count || item == isc_info_req_delete_count ||
            item == isc_info_req_insert_count) {
            total += readInt(p, length);
        }
        p += length;
    }
    return total;
}

}  // namespace zlt::db
