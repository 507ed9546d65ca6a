#include "database.h"

#include <QString>

#include <map>
#include <memory>
#include <set>
#include <sqlite3.h>
#include <stdexcept>

namespace Corvane::Server {

namespace {
    // Unicode case folding, so that "CAFFÈ" finds "Caffè": LIKE folds ASCII letters only.
    void caseFold(sqlite3_context* context, int, sqlite3_value** values)
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
        if (!text) {
            sqlite3_result_null(context);
            return;
        }
        const QByteArray folded = QString::fromUtf8(text).toCaseFolded().toUtf8();
        sqlite3_result_text(context, folded.constData(), folded.size(), SQLITE_TRANSIENT);
    }

    const char* const schema = R"sql(
CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS consortia (
    id INTEGER PRIMARY KEY, fiscal_code TEXT NOT NULL UNIQUE, name TEXT NOT NULL, pec TEXT);
CREATE TABLE IF NOT EXISTS banks (abi TEXT PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS users (
    id INTEGER PRIMARY KEY,
    consortium_id INTEGER NOT NULL REFERENCES consortia(id),
    fiscal_code TEXT NOT NULL,
    first_name TEXT NOT NULL,
    last_name TEXT NOT NULL,
    email TEXT NOT NULL,
    password_salt BLOB NOT NULL,
    password_hash BLOB NOT NULL,
    password_iterations INTEGER NOT NULL,
    password_expires TEXT NOT NULL,
    activation_code TEXT,
    activation_expires INTEGER,
    totp_secret TEXT,
    twofa_active INTEGER NOT NULL DEFAULT 0,
    last_access TEXT,
    previous_access TEXT,
    totp_last_step INTEGER,
    token_generation INTEGER NOT NULL DEFAULT 0,
    password_session TEXT,
    activation_failures INTEGER NOT NULL DEFAULT 0,
    twofa_first_session TEXT,
    UNIQUE (consortium_id, fiscal_code));
CREATE TABLE IF NOT EXISTS user_banks (
    user_id INTEGER NOT NULL REFERENCES users(id), abi TEXT NOT NULL REFERENCES banks(abi),
    PRIMARY KEY (user_id, abi));
CREATE TABLE IF NOT EXISTS revoked_tokens (token_id TEXT PRIMARY KEY, expires INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS provinces (code TEXT PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS municipalities (
    id INTEGER PRIMARY KEY, province TEXT NOT NULL, name TEXT NOT NULL, cap TEXT NOT NULL,
    cadastral_code TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS states (
    id INTEGER PRIMARY KEY, name TEXT NOT NULL, short_name TEXT NOT NULL, colour TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS companies (
    id INTEGER PRIMARY KEY,
    consortium_id INTEGER NOT NULL,
    name TEXT NOT NULL,
    city TEXT NOT NULL,
    province TEXT NOT NULL,
    fiscal_code TEXT NOT NULL,
    vat_number TEXT NOT NULL,
    address TEXT NOT NULL,
    phone TEXT NOT NULL,
    fax TEXT NOT NULL,
    email TEXT NOT NULL,
    founded TEXT NOT NULL,
    cciaa TEXT NOT NULL,
    sae TEXT NOT NULL,
    rae TEXT NOT NULL,
    register TEXT NOT NULL,
    kind TEXT NOT NULL,
    sector TEXT NOT NULL,
    activity TEXT NOT NULL,
    predecessor_id INTEGER,
    successor_id INTEGER,
    replaced_on TEXT);
CREATE INDEX IF NOT EXISTS companies_consortium ON companies (consortium_id, name);
CREATE TABLE IF NOT EXISTS positions (
    id INTEGER PRIMARY KEY,
    position_number INTEGER NOT NULL,
    consortium_id INTEGER NOT NULL,
    company_id INTEGER NOT NULL,
    abi TEXT NOT NULL,
    branch TEXT NOT NULL,
    form_code TEXT NOT NULL,
    form_name TEXT NOT NULL,
    lcr TEXT NOT NULL,
    loan_number TEXT NOT NULL,
    amount_cents INTEGER NOT NULL,
    months INTEGER NOT NULL,
    rate_bp INTEGER NOT NULL,
    guarantee_number TEXT NOT NULL,
    guarantee_percent INTEGER NOT NULL,
    state_id INTEGER NOT NULL,
    substate_id INTEGER NOT NULL,
    consortium_date TEXT NOT NULL,
    bank_date TEXT,
    disbursed_on TEXT,
    closed_on TEXT,
    closing_kind TEXT,
    qrv_code TEXT NOT NULL,
    undeliberated INTEGER NOT NULL,
    updated_at TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS positions_bank ON positions (abi, consortium_id, consortium_date);
CREATE INDEX IF NOT EXISTS positions_company ON positions (company_id, abi);
CREATE INDEX IF NOT EXISTS positions_number ON positions (position_number);
CREATE TABLE IF NOT EXISTS reports (
    id INTEGER PRIMARY KEY,
    file_id INTEGER NOT NULL UNIQUE,
    consortium_id INTEGER NOT NULL,
    abi TEXT NOT NULL,
    name TEXT NOT NULL,
    report_date TEXT NOT NULL,
    file_name TEXT NOT NULL,
    empty INTEGER NOT NULL,
    created_at TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS reports_bank ON reports (abi, consortium_id, report_date);
CREATE TABLE IF NOT EXISTS tickets (
    id INTEGER PRIMARY KEY,
    consortium_id INTEGER NOT NULL,
    user_id INTEGER NOT NULL,
    code TEXT NOT NULL UNIQUE,
    subject TEXT NOT NULL,
    body TEXT NOT NULL,
    notify_email TEXT NOT NULL,
    state INTEGER NOT NULL,
    created_at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS ticket_messages (
    id INTEGER PRIMARY KEY,
    ticket_id INTEGER NOT NULL REFERENCES tickets(id),
    author_kind TEXT NOT NULL,
    body TEXT NOT NULL,
    created_at TEXT NOT NULL);
)sql";

    // Columns added after the first release, with the definition that adds them to an old table.
    const char* const addedUserColumns[][2] = {
        { "totp_last_step", "ALTER TABLE users ADD COLUMN totp_last_step INTEGER" },
        { "token_generation",
            "ALTER TABLE users ADD COLUMN token_generation INTEGER NOT NULL DEFAULT 0" },
        { "password_session", "ALTER TABLE users ADD COLUMN password_session TEXT" },
        { "activation_failures",
            "ALTER TABLE users ADD COLUMN activation_failures INTEGER NOT NULL DEFAULT 0" },
        { "twofa_first_session", "ALTER TABLE users ADD COLUMN twofa_first_session TEXT" },
    };
}

Database::Database(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        db = nullptr;
        throw std::runtime_error("cannot open database " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_create_function(db, "casefold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
        &caseFold, nullptr, nullptr);
    // The size limit truncates the write-ahead log back after each checkpoint that resets it.
    execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON; "
            "PRAGMA journal_size_limit = 4194304;");
}

Database::~Database() { sqlite3_close(db); }

Database& Database::forThread(const std::string& path)
{
    thread_local std::map<std::string, std::unique_ptr<Database>> connections;
    auto& connection = connections[path];
    if (!connection)
        connection = std::make_unique<Database>(path);
    return *connection;
}

void Database::execute(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("SQL failed: " + message);
    }
}

Statement Database::prepare(const std::string& sql) { return Statement(db, sql); }

std::int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(db); }

int Database::changes() const { return sqlite3_changes(db); }

void Database::createSchema() { execute(schema); }

void Database::migrate()
{
    std::set<std::string> columns;
    {
        Statement info = prepare("PRAGMA table_info(users)");
        while (info.step())
            columns.insert(info.text(1));
    }
    if (columns.empty())
        return;
    for (const auto& column : addedUserColumns) {
        if (!columns.count(column[0]))
            execute(column[1]);
    }
}

Transaction::Transaction(Database& db)
    : db(db)
{
    db.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!done) {
        try {
            db.execute("ROLLBACK");
        } catch (...) {
        }
    }
}

void Transaction::commit()
{
    db.execute("COMMIT");
    done = true;
}

}
