#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class Anagraphic;
}

namespace Command::Search {

    /// One company record, with the ids of the records before and after it. Created by the
    /// company-record model for one request; hands the values back to it.
    class Anagraphic final : public ReportingCommand<Model::Anagraphic, BankTags> {
        Q_OBJECT
    public:
        Anagraphic(Model::Anagraphic* model, const QString& recordId);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        /// The value of one of the record's reply keys; empty before the reply.
        QString getValue(const QString& key) const { return values.value(key); }
        QMap<QString, QString> getValues() const { return values; }

    private:
        QMap<QString, QString> values;
    };

}
}
