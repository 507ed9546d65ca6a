#pragma once

#include "statement.h"

#include <string>

namespace Corvane::Server {

/// One SQLite connection to the server's database. The server keeps one per worker thread
/// (see forThread), so readers never wait on each other; WAL mode lets them run beside a writer.
class Database final {
public:
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /// The calling thread's connection to the database at path, opened on first use.
    static Database& forThread(const std::string& path);

    /// Runs fixed SQL text (schema, transactions); never used with values from a request.
    void execute(const char* sql);
    Statement prepare(const std::string& sql);
    std::int64_t lastInsertId() const;
    /// Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    /// Creates the tables and indexes when they are missing.
    void createSchema();
    /// Adds the columns that a data folder seeded by an older server lacks.
    void migrate();

private:
    sqlite3* db = nullptr;
};

/// Runs its scope in one transaction, rolled back unless commit() was called.
class Transaction final {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db;
    bool done = false;
};

}
