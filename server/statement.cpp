#include "statement.h"

#include <sqlite3.h>
#include <stdexcept>

namespace Corvane::Server {

Statement::Statement(sqlite3* db, const std::string& sql)
    : db(db)
{
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr)
        != SQLITE_OK) {
        throw std::runtime_error(std::string("cannot prepare statement: ") + sqlite3_errmsg(db));
    }
}

Statement::~Statement() { sqlite3_finalize(stmt); }

Statement::Statement(Statement&& other) noexcept
    : db(other.db)
    , stmt(other.stmt)
{
    other.stmt = nullptr;
}

Statement& Statement::bind(int index, const std::string& value)
{
    sqlite3_bind_text(stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, const char* value) { return bind(index, std::string(value)); }

Statement& Statement::bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(stmt, index, value);
    return *this;
}

Statement& Statement::bind(int index, int value)
{
    return bind(index, static_cast<std::int64_t>(value));
}

Statement& Statement::bindNull(int index)
{
    sqlite3_bind_null(stmt, index);
    return *this;
}

Statement& Statement::bindBlob(int index, const std::string& bytes)
{
    sqlite3_bind_blob(stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw std::runtime_error(std::string("statement failed: ") + sqlite3_errmsg(db));
}

void Statement::run()
{
    while (step()) { }
    reset();
}

void Statement::reset()
{
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

std::string Statement::text(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    return bytes ? std::string(bytes, static_cast<size_t>(size)) : std::string();
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt, column); }

double Statement::real(int column) const { return sqlite3_column_double(stmt, column); }

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(stmt, column) == SQLITE_NULL;
}

}
