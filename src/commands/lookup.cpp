#include "commands/lookup.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"
#include "models/bank.h"
#include "models/status.h"

namespace Corvane::Command {

Bank::Bank(Model::Bank* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/banche"))
{
}

void Bank::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, false);
    accepter->setBanks(this);
}

Status::Status(Model::Status* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/stati"))
{
}

void Status::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, false);
    accepter->setStatuses(this);
}

Province::Province(Model::AddressWrapper* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/province"))
{
}

void Province::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, true);
    accepter->setProvinces(this);
}

ProvinceInitials::ProvinceInitials(Model::AddressWrapper* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/province_sigla"))
{
}

void ProvinceInitials::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectValues(metaObject()->className(), dataRows);
    accepter->setProvinceInitials(this);
}

}
