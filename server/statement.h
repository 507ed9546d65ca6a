#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace Corvane::Server {

/// One prepared SQLite statement; values only ever enter through the bind operations.
/// Owned by whoever prepared it; failures throw std::runtime_error.
class Statement final {
public:
    Statement(sqlite3* db, const std::string& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    /// Parameters are numbered from 1, as in SQLite.
    Statement& bind(int index, const std::string& value);
    Statement& bind(int index, const char* value);
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, int value);
    Statement& bindNull(int index);
    Statement& bindBlob(int index, const std::string& bytes);

    /// Advances to the next row; false when done.
    bool step();
    /// Runs a statement that returns no rows.
    void run();
    void reset();

    std::string text(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* db;
    sqlite3_stmt* stmt = nullptr;
};

}
