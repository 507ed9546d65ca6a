#pragma once

#include <QObject>
#include <QString>

namespace Corvane {

/// The client's version record, sent by the version check. Created by the flow manager.
class Config final : public QObject {
    Q_OBJECT
public:
    explicit Config(QObject* parent = nullptr);

    QString getVersion() const { return version; }

private:
    QString version;
};

}
