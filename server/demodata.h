#pragma once

#include <string>
#include <vector>

namespace Corvane::Server {

class Database;
class Outbox;

/// Fills a fresh database with the demo data: consortia, banks, users in every account state,
/// companies, positions, reports and tickets. The same size and seed day give the same data;
/// dates are placed relative to the seed day so the client's default date filters find some.
class DemoData final {
public:
    enum class Size { Demo, Large };

    struct Account {
        std::string consortiumFiscalCode;
        std::string userFiscalCode;
        std::string password;
        std::string description;
    };

    static constexpr const char* demoPassword = "Corvane.Demo.2024";

    DemoData(Database& db, Outbox& outbox, Size size);

    void generate();
    const std::vector<Account>& getAccounts() const;

private:
    void insertReferenceData();
    void insertConsortiaAndUsers();
    void insertCompanies();
    void insertPositions();
    void insertReports();
    void insertTickets();

    Database& db;
    Outbox& outbox;
    Size size;
    std::vector<Account> accounts;
};

}
