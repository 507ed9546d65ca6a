#include "demodata.h"

#include "database.h"
#include "fiscalcodes.h"
#include "italianplaces.h"
#include "outbox.h"
#include "passwordhasher.h"
#include "totp.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cstdint>
#include <openssl/rand.h>

namespace Corvane::Server {

namespace {
    // SplitMix64: fixed and portable, unlike the distributions of the standard library.
    class Random final {
    public:
        explicit Random(std::uint64_t seed)
            : state(seed)
        {
        }
        std::uint64_t next()
        {
            std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            return z ^ (z >> 31);
        }
        int between(int low, int high)
        {
            return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
        }
        bool chance(int percent) { return between(1, 100) <= percent; }
        template <typename T> const T& pick(const std::vector<T>& items)
        {
            return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))];
        }

    private:
        std::uint64_t state;
    };

    struct BankSeed {
        const char* abi;
        const char* name;
    };
    const std::vector<BankSeed> banks {
        { "03111", "Banca Alpina del Lario" },
        { "05222", "Cassa Rurale delle Colline Moreniche" },
        { "06333", "Banca Popolare del Tirreno" },
        { "08444", "Credito Cooperativo Valle Verde" },
    };

    struct StateSeed {
        int id;
        const char* name;
        const char* shortName;
        const char* colour;
        int weight;
    };
    const std::vector<StateSeed> states {
        { 1, "In compilazione", "COMP", "808080", 8 },
        { 2, "Deliberata confidi", "DELC", "1F618D", 10 },
        { 3, "Deliberata banca", "DELB", "117A65", 12 },
        { 4, "Deliberata parziale banca", "DPAR", "B9770E", 5 },
        { 5, "Perfezionata", "PERF", "1E8449", 40 },
        { 6, "Estinta", "ESTI", "5D6D7E", 15 },
        { 7, "Respinta", "RESP", "C0392B", 6 },
        { 8, "Annullata", "ANNU", "943126", 4 },
    };

    const std::vector<std::string> companyKinds { "Officine", "Tessitura", "Caseificio", "Cantina",
        "Falegnameria", "Ceramiche", "Trasporti", "Edilizia", "Pasticceria", "Ferramenta",
        "Tipografia", "Oleificio", "Società Agricola", "Caffè", "Mobilificio", "Vetreria",
        "Autofficina", "Panificio", "Elettromeccanica", "Distilleria" };
    const std::vector<std::string> companyNames { "Bellandi", "Corvetto", "Dalmasso", "Ferrucci",
        "Gaspardo", "Lanzoni", "Marchetto", "Nerozzi", "Orsolini", "Pavanello", "Quagliotti",
        "Ruggerini", "Sassolini", "Tedaldi", "Ubaldini", "Vianelli", "Zanardo", "Balestri",
        "del Borgo", "della Valle", "dei Colli", "San Niccolò", "Città Alta", "Lungolago",
        "Nicolò & Figli", "Perù Verde", "Sant'Egidio", "Fratelli Righè" };
    const std::vector<std::string> companySuffixes { "S.r.l.", "S.p.A.", "S.n.c.", "S.a.s.",
        "Società Cooperativa", "S.r.l.s." };
    const std::vector<std::string> firstNames { "Luca", "Giulia", "Marco", "Chiara", "Andrea",
        "Francesca", "Paolo", "Elisa", "Simone", "Marta", "Nicolò", "Irene", "Daniele", "Sara" };
    const std::vector<std::string> surnames { "Bellandi", "Corvetto", "Dalmasso", "Ferrucci",
        "Gaspardo", "Lanzoni", "Marchetto", "Nerozzi", "Orsolini", "Pavanello", "Ruggerini",
        "Tedaldi", "Vianelli", "Zanardo" };
    const std::vector<std::string> streets { "Via Roma", "Via Garibaldi", "Corso Italia",
        "Via dei Mille", "Viale della Libertà", "Piazza Duomo", "Via San Francesco",
        "Via Nazionale", "Via dell'Artigianato", "Via Giosuè Carducci" };

    struct FormSeed {
        const char* code;
        const char* name;
    };
    const std::vector<FormSeed> forms { { "CHIRO", "Mutuo chirografario" },
        { "IPOT", "Mutuo ipotecario" }, { "FIDO", "Apertura di credito in c/c" },
        { "ANTIC", "Anticipo fatture" }, { "LEAS", "Leasing strumentale" },
        { "SBF", "Salvo buon fine" } };

    QString isoDate(const QDate& date) { return date.toString(Qt::ISODate); }

    std::string text(const QString& value) { return value.toStdString(); }

    std::string randomKey()
    {
        unsigned char bytes[32];
        RAND_bytes(bytes, sizeof bytes);
        return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes).toHex().toStdString();
    }

    struct CompanyRef {
        std::int64_t id;
        std::int64_t consortium;
        std::string city;
    };
    // Kept between the generation steps of one run.
    std::vector<CompanyRef> companyRefs;
}

DemoData::DemoData(Database& db, Outbox& outbox, Size size)
    : db(db)
    , outbox(outbox)
    , size(size)
{
}

const std::vector<DemoData::Account>& DemoData::getAccounts() const { return accounts; }

void DemoData::generate()
{
    Transaction transaction(db);
    insertReferenceData();
    insertConsortiaAndUsers();
    insertCompanies();
    insertPositions();
    insertReports();
    insertTickets();
    transaction.commit();
}

void DemoData::insertReferenceData()
{
    Statement setting = db.prepare("INSERT OR REPLACE INTO settings (key, value) VALUES (?, ?)");
    setting.bind(1, "token_key").bind(2, randomKey()).run();
    setting.bind(1, "seed_day").bind(2, text(isoDate(QDate::currentDate()))).run();

    Statement bank = db.prepare("INSERT INTO banks (abi, name) VALUES (?, ?)");
    for (const auto& seed : banks)
        bank.bind(1, seed.abi).bind(2, seed.name).run();
    Statement state
        = db.prepare("INSERT INTO states (id, name, short_name, colour) VALUES (?, ?, ?, ?)");
    for (const auto& seed : states)
        state.bind(1, seed.id)
            .bind(2, seed.name)
            .bind(3, seed.shortName)
            .bind(4, seed.colour)
            .run();
    Statement province = db.prepare("INSERT INTO provinces (code, name) VALUES (?, ?)");
    for (const auto& seed : ItalianPlaces::provinces())
        province.bind(1, seed.code).bind(2, seed.name).run();
    Statement municipality = db.prepare(
        "INSERT INTO municipalities (province, name, cap, cadastral_code) VALUES (?, ?, ?, ?)");
    for (const auto& seed : ItalianPlaces::municipalities()) {
        municipality.bind(1, seed.province)
            .bind(2, seed.name)
            .bind(3, seed.cap)
            .bind(4, seed.cadastralCode)
            .run();
    }
}

void DemoData::insertConsortiaAndUsers()
{
    const std::string aurora = FiscalCodes::vatNumber(2846153, 15);
    const std::string adige = FiscalCodes::vatNumber(3917264, 23);
    Statement consortium
        = db.prepare("INSERT INTO consortia (id, fiscal_code, name, pec) VALUES (?, ?, ?, ?)");
    consortium.bind(1, 1)
        .bind(2, aurora)
        .bind(3, "Confidi Aurora Garanzie S.C.p.A.")
        .bind(4, "garanzie@pec.confidiaurora.example")
        .run();
    consortium.bind(1, 2).bind(2, adige).bind(3, "Cooperativa Fidi Val d'Adige").bindNull(4).run();

    struct UserSeed {
        int consortium;
        const char* surname;
        const char* name;
        int year, month, day;
        bool female;
        const char* place;
        bool twoFa;
        bool pending;
        bool expired;
        std::vector<const char*> banks;
        const char* description;
    };
    const std::vector<UserSeed> users {
        { 1, "Ferraresi", "Giulia", 1984, 3, 12, true, "F205", true, false, false,
            { "03111", "05222", "06333", "08444" }, "ready, two-factor active, four banks" },
        { 1, "Caruso", "Matteo", 1979, 11, 2, false, "L219", false, false, false,
            { "03111", "05222" }, "two-factor not yet active" },
        { 1, "Lombardo", "Chiara", 1990, 6, 21, true, "A944", false, true, false, { "03111" },
            "activation pending (code in the outbox mail)" },
        { 1, "Galli", "Stefano", 1975, 1, 30, false, "D612", true, false, true, { "05222" },
            "password expired" },
        { 1, "Moretti", "Elena", 1988, 9, 9, true, "D969", true, false, false, {},
            "enabled for no bank" },
        { 2, "Testa", "Davide", 1982, 4, 17, false, "L781", true, false, false,
            { "06333", "08444" }, "second consortium (no certified mail), two-factor active" },
    };

    const QDate today = QDate::currentDate();
    const QDateTime now = QDateTime::currentDateTime();
    Statement user = db.prepare(
        "INSERT INTO users (consortium_id, fiscal_code, first_name, last_name, email, "
        "password_salt, password_hash, password_iterations, password_expires, activation_code, "
        "activation_expires, totp_secret, twofa_active, last_access, previous_access) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Statement userBank = db.prepare("INSERT INTO user_banks (user_id, abi) VALUES (?, ?)");
    for (const auto& seed : users) {
        const std::string fiscalCode = FiscalCodes::personal(
            seed.surname, seed.name, seed.year, seed.month, seed.day, seed.female, seed.place);
        const std::string email = QString::fromUtf8(seed.name).toLower().toStdString() + "."
            + QString::fromUtf8(seed.surname).toLower().toStdString() + "@example.it";
        const auto hash = PasswordHasher::hash(demoPassword);
        const QDate expires = seed.expired ? today.addDays(-3) : today.addDays(180);
        const std::string lastAccess = text(now.addDays(-7).toString(Qt::ISODate));
        user.bind(1, seed.consortium)
            .bind(2, fiscalCode)
            .bind(3, seed.name)
            .bind(4, seed.surname)
            .bind(5, email)
            .bindBlob(6, hash.salt)
            .bindBlob(7, hash.hash)
            .bind(8, hash.iterations)
            .bind(9, text(isoDate(expires)));
        std::string activationCode;
        if (seed.pending) {
            activationCode = PasswordHasher::randomDigits(6);
            user.bind(10, activationCode)
                .bind(11, static_cast<std::int64_t>(now.addDays(7).toSecsSinceEpoch()));
        } else {
            user.bindNull(10).bindNull(11);
        }
        user.bind(12, Totp::newSecret())
            .bind(13, seed.twoFa ? 1 : 0)
            .bind(14, lastAccess)
            .bind(15, lastAccess);
        user.run();
        const std::int64_t userId = db.lastInsertId();
        for (const char* abi : seed.banks)
            userBank.bind(1, userId).bind(2, abi).run();
        if (seed.pending) {
            outbox.send("activation", "garanzie@pec.confidiaurora.example",
                "Codice di attivazione per " + fiscalCode,
                "Il codice di attivazione dell'utente " + fiscalCode + " è " + activationCode
                    + ".\nScade tra 7 giorni.");
        }
        accounts.push_back(
            { seed.consortium == 1 ? aurora : adige, fiscalCode, demoPassword, seed.description });
    }
}

void DemoData::insertCompanies()
{
    Random random(0xC0FFEE01);
    const int count = size == Size::Large ? 20000 : 800;
    const QDate today = QDate::currentDate();
    const auto& places = ItalianPlaces::municipalities();
    std::vector<ItalianPlaces::Municipality> birthPlaces;
    for (const auto& place : places) {
        if (*place.cadastralCode)
            birthPlaces.push_back(place);
    }
    Statement company = db.prepare(
        "INSERT INTO companies (id, consortium_id, name, city, province, fiscal_code, vat_number, "
        "address, phone, fax, email, founded, cciaa, sae, rae, register, kind, sector, activity, "
        "predecessor_id, successor_id, replaced_on) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, NULL, NULL, NULL)");
    companyRefs.clear();
    for (int i = 1; i <= count; ++i) {
        const std::int64_t consortium = random.chance(75) ? 1 : 2;
        const auto& place = random.pick(places);
        const std::string kind = random.pick(companyKinds);
        const std::string owner = random.pick(companyNames);
        const std::string suffix = random.pick(companySuffixes);
        const std::string name = kind + " " + owner + " " + suffix;
        const std::string vat = FiscalCodes::vatNumber(
            1000000 + i * 37 + random.between(0, 36), random.between(1, 99));
        std::string fiscalCode = vat;
        if (random.chance(20)) {
            const auto& birth = random.pick(birthPlaces);
            fiscalCode = FiscalCodes::personal(random.pick(surnames), random.pick(firstNames),
                random.between(1950, 1995), random.between(1, 12), random.between(1, 28),
                random.chance(50), birth.cadastralCode);
        }
        const QDate founded = today.addDays(-random.between(400, 15000));
        const std::string slug = QString::fromStdString(owner)
                                     .toLower()
                                     .remove(QLatin1Char(' '))
                                     .remove(QLatin1Char('\''))
                                     .remove(QLatin1Char('&'))
                                     .toStdString();
        company.bind(1, static_cast<std::int64_t>(i))
            .bind(2, consortium)
            .bind(3, name)
            .bind(4, place.name)
            .bind(5, place.province)
            .bind(6, fiscalCode)
            .bind(7, vat)
            .bind(8,
                random.pick(streets) + ", " + std::to_string(random.between(1, 180)) + " - "
                    + place.cap + " " + place.name)
            .bind(9,
                "0" + std::to_string(random.between(10, 99)) + " "
                    + std::to_string(random.between(100000, 9999999)))
            .bind(10,
                random.chance(40) ? "0" + std::to_string(random.between(10, 99)) + " "
                        + std::to_string(random.between(100000, 9999999))
                                  : std::string())
            .bind(11, "info@" + slug + std::to_string(i) + ".example.it")
            .bind(12, text(isoDate(founded)))
            .bind(13,
                std::string(place.province) + "-" + std::to_string(random.between(100000, 999999)))
            .bind(14, std::to_string(random.pick(std::vector<int> { 430, 431, 432, 614, 615 })))
            .bind(15, std::to_string(random.between(100, 999)))
            .bind(16, random.chance(30) ? "Albo imprese artigiane" : "Registro imprese")
            .bind(17,
                random.pick(std::vector<std::string> {
                    "Micro impresa", "Piccola impresa", "Media impresa" }))
            .bind(18,
                random.pick(std::vector<std::string> { "Manifattura", "Commercio", "Servizi",
                    "Agricoltura", "Costruzioni", "Turismo e ristorazione" }))
            .bind(19, kind + " - attività principale");
        company.run();
        companyRefs.push_back({ i, consortium, place.name });
    }
    // A few mergers: the older record is replaced by a newer one of the same consortium.
    Statement merge
        = db.prepare("UPDATE companies SET successor_id = ?, replaced_on = ? WHERE id = ?");
    Statement mergedInto = db.prepare("UPDATE companies SET predecessor_id = ? WHERE id = ?");
    for (int i = 10; i + 5 <= count; i += 50) {
        const auto& older = companyRefs[static_cast<size_t>(i - 1)];
        for (int j = i + 1; j <= i + 5; ++j) {
            const auto& newer = companyRefs[static_cast<size_t>(j - 1)];
            if (newer.consortium != older.consortium)
                continue;
            merge.bind(1, newer.id)
                .bind(2, text(isoDate(today.addDays(-random.between(30, 900)))))
                .bind(3, older.id)
                .run();
            mergedInto.bind(1, older.id).bind(2, newer.id).run();
            break;
        }
    }
}

void DemoData::insertPositions()
{
    Random random(0xC0FFEE02);
    const int count = size == Size::Large ? 100000 : 5000;
    const QDate today = QDate::currentDate();
    const QDateTime now = QDateTime::currentDateTime();
    int totalWeight = 0;
    for (const auto& state : states)
        totalWeight += state.weight;

    Statement position = db.prepare(
        "INSERT INTO positions (id, position_number, consortium_id, company_id, abi, branch, "
        "form_code, form_name, lcr, loan_number, amount_cents, months, rate_bp, guarantee_number, "
        "guarantee_percent, state_id, substate_id, consortium_date, bank_date, disbursed_on, "
        "closed_on, closing_kind, qrv_code, undeliberated, updated_at) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    int positionNumber = 0;
    CompanyRef company {};
    std::string abi;
    int lcrSequence[2] = { 0, 0 };
    for (int i = 1; i <= count; ++i) {
        // Some positions carry a second technical form: same number, company and bank.
        const bool related = i > 1 && random.chance(8);
        if (!related) {
            ++positionNumber;
            company = companyRefs[static_cast<size_t>(
                random.between(0, static_cast<int>(companyRefs.size()) - 1))];
            abi = banks[static_cast<size_t>(random.between(0, 3))].abi;
        }
        const auto& form = random.pick(forms);
        int roll = random.between(1, totalWeight);
        const StateSeed* state = &states.front();
        for (const auto& candidate : states) {
            roll -= candidate.weight;
            if (roll <= 0) {
                state = &candidate;
                break;
            }
        }
        const QDate consortiumDate = today.addDays(-random.between(1, 1460));
        const bool bankStage = state->id >= 3 && state->id <= 6;
        const bool disbursed = state->id == 5 || state->id == 6;
        const QDate bankDate = std::min(consortiumDate.addDays(random.between(5, 40)), today);
        const QDate disbursedOn = std::min(bankDate.addDays(random.between(5, 60)), today);
        const int months = random.pick(std::vector<int> { 12, 18, 24, 36, 48, 60, 84, 120 });
        QDate closedOn = disbursedOn.addMonths(months);
        if (state->id == 6 && closedOn > today)
            closedOn = today.addDays(-random.between(1, 200));
        const int sequence = ++lcrSequence[company.consortium - 1];
        const QString lcr = QStringLiteral("%1/%2")
                                .arg(consortiumDate.year())
                                .arg(sequence, 6, 10, QLatin1Char('0'));
        std::string qrv = "QRV";
        for (int k = 0; k < 10; ++k)
            qrv += "ABCDEFGHJKLMNPQRSTUVWXYZ23456789"[random.between(0, 31)];
        // About one position in eight changed in the last week, so "since last access" counts some.
        const QDateTime updatedAt = random.chance(12) ? now.addSecs(-random.between(60, 6 * 86400))
                                                      : now.addDays(-random.between(8, 400));
        position.bind(1, static_cast<std::int64_t>(i))
            .bind(2, positionNumber)
            .bind(3, company.consortium)
            .bind(4, company.id)
            .bind(5, abi)
            .bind(6, "Filiale di " + company.city)
            .bind(7, form.code)
            .bind(8, form.name)
            .bind(9, text(lcr))
            .bind(10, "FIN" + std::to_string(10000000 + i * 7))
            .bind(11, static_cast<std::int64_t>(random.between(20, 3000)) * 50000)
            .bind(12, months)
            .bind(13, random.between(250, 750))
            .bind(14, "G" + std::to_string(500000 + i))
            .bind(15, random.between(3, 8) * 10)
            .bind(16, state->id)
            .bind(17, random.chance(10) ? random.between(1, 3) : 0)
            .bind(18, text(isoDate(consortiumDate)));
        if (bankStage)
            position.bind(19, text(isoDate(bankDate)));
        else
            position.bindNull(19);
        if (disbursed)
            position.bind(20, text(isoDate(disbursedOn)));
        else
            position.bindNull(20);
        if (state->id == 6) {
            position.bind(21, text(isoDate(closedOn)))
                .bind(22,
                    random.pick(std::vector<std::string> {
                        "Scadenza naturale", "Estinzione anticipata", "Surroga" }));
        } else {
            position.bindNull(21).bindNull(22);
        }
        position.bind(23, qrv)
            .bind(24, random.chance(2) ? 1 : 0)
            .bind(25, text(updatedAt.toString(Qt::ISODate)));
        position.run();
    }
}

void DemoData::insertReports()
{
    Random random(0xC0FFEE03);
    const QDate today = QDate::currentDate();
    const std::vector<std::string> names { "Flusso posizioni", "Riepilogo garanzie",
        "Scadenziario rate", "Estratto commissioni", "Situazione di rischio" };
    Statement report = db.prepare(
        "INSERT INTO reports (file_id, consortium_id, abi, name, report_date, file_name, empty, "
        "created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 1; i <= 200; ++i) {
        const int consortium = random.chance(75) ? 1 : 2;
        const std::string abi = banks[static_cast<size_t>(random.between(0, 3))].abi;
        const size_t kind = static_cast<size_t>(random.between(0, 4));
        const QDate date = today.addDays(-random.between(0, 365));
        QString slug = QString::fromStdString(names[kind]).toLower();
        slug.replace(QLatin1Char(' '), QLatin1Char('_'));
        const QString fileName = QStringLiteral("%1_%2_%3.csv")
                                     .arg(slug, QString::fromLatin1(abi.c_str()),
                                         date.toString(QStringLiteral("yyyyMMdd")));
        report.bind(1, 7000 + i)
            .bind(2, consortium)
            .bind(3, abi)
            .bind(4, names[kind])
            .bind(5, text(isoDate(date)))
            .bind(6, text(fileName))
            .bind(7, random.chance(10) ? 1 : 0)
            .bind(8,
                text(QDateTime(date.addDays(1), QTime(6, random.between(0, 59)))
                         .toString(Qt::ISODate)));
        report.run();
    }
}

void DemoData::insertTickets()
{
    Random random(0xC0FFEE04);
    const QDateTime now = QDateTime::currentDateTime();
    const std::vector<std::string> subjects { "Non riesco a visualizzare le pratiche perfezionate",
        "Richiesta abilitazione a una nuova banca", "Il report scaricato è vuoto",
        "Errore nella data di delibera", "Importo della rata non corretto",
        "Modifica dell'indirizzo dell'impresa", "Accesso non riuscito dopo il cambio password",
        "Perché la pratica risulta già estinta?" };
    const std::vector<std::string> userLines { "Buongiorno, potete verificare? Grazie.",
        "La situazione è invariata anche oggi.", "Allego i dati richiesti: sede di Forlì.",
        "Perfetto, ora funziona. Grazie mille!", "Può richiamarmi in mattinata?" };
    const std::vector<std::string> desk { "Gentile utente, abbiamo preso in carico la richiesta.",
        "Abbiamo corretto il dato: può verificare?", "Serve il codice LCR della pratica, grazie.",
        "La segnalazione è stata inoltrata all'ufficio competente.",
        "Chiudiamo il ticket. Buona giornata!" };
    Statement ticket = db.prepare(
        "INSERT INTO tickets (id, consortium_id, user_id, code, subject, body, notify_email, "
        "state, created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Statement message = db.prepare("INSERT INTO ticket_messages (ticket_id, author_kind, body, "
                                   "created_at) VALUES (?, ?, ?, ?)");
    for (int i = 1; i <= 30; ++i) {
        const bool second = i > 26;
        const int userId = second ? 6 : (i % 5 == 0 ? 2 : 1);
        QDateTime created = now.addSecs(-static_cast<qint64>(random.between(3600, 200 * 86400)));
        const std::string code = "TK-" + std::to_string(created.date().year()) + "-"
            + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')).toStdString();
        const int state = random.between(1, 4);
        ticket.bind(1, i)
            .bind(2, second ? 2 : 1)
            .bind(3, userId)
            .bind(4, code)
            .bind(5, random.pick(subjects))
            .bind(6, "Buongiorno, segnalo il problema in oggetto. Città: Cantù, attività: caffè.")
            .bind(7, random.chance(50) ? "notifiche@example.it" : "")
            .bind(8, state)
            .bind(9, text(created.toString(Qt::ISODate)));
        ticket.run();
        const int messages = random.between(1, 5);
        for (int m = 0; m < messages; ++m) {
            created = created.addSecs(random.between(600, 3 * 86400));
            const bool fromDesk = m % 2 == 0;
            message.bind(1, i)
                .bind(2, fromDesk ? "assistenza" : "utente")
                .bind(3, fromDesk ? random.pick(desk) : random.pick(userLines))
                .bind(4, text(created.toString(Qt::ISODate)));
            message.run();
        }
    }
}

}
