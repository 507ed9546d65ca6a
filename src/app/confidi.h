#pragma once

#include <QObject>
#include <QString>

namespace Corvane {

/// The user's consortium as the session-opening reply describes it. Built by the flow manager
/// after each successful session opening and held by the account.
class Confidi final : public QObject {
    Q_OBJECT
public:
    Confidi(int id, const QString& companyName, int inCompilazione, int deliberataParzialeBanca);

    int getId() const { return id; }
    QString getCompanyName() const { return companyName; }
    int getInCompilazione() const { return inCompilazione; }
    int getDeliberataParzialeBanca() const { return deliberataParzialeBanca; }

private:
    int id;
    QString companyName;
    int inCompilazione;
    int deliberataParzialeBanca;
};

}
