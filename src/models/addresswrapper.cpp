#include "models/addresswrapper.h"

#include "commands/lookup.h"
#include "commands/search/addresstype.h"
#include "commands/search/cap.h"
#include "commands/search/city.h"
#include "core/logging.h"
#include "models/commandrelease.h"
#include "protocol/commandmanager.h"

#include <QStringListModel>

namespace Corvane::Model {

namespace {
    QString keyOf(const QMap<QString, QString>& map, const QString& name)
    {
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.value() == name)
                return it.key();
        }
        return {};
    }
}

AddressWrapper::AddressWrapper(CommandManager* commandManager, QObject* parent)
    : QObject(parent)
    , commandManager(commandManager)
    , addressTypes(new QStringListModel(this))
    , provinces(new QStringListModel(this))
    , cities(new QStringListModel(this))
{
    // A look-up the queue ends without a reply is freed then, not kept until the wrapper goes.
    if (commandManager)
        releaseEndedCommands(commandManager, this);
}

void AddressWrapper::execute(QObject* command) { queueOwned(commandManager, this, command); }

void AddressWrapper::release(QObject* command) { command->deleteLater(); }

void AddressWrapper::fetchProvinces() { execute(new Command::Province(this)); }

void AddressWrapper::fetchProvinceInitials() { execute(new Command::ProvinceInitials(this)); }

void AddressWrapper::fetchAddressTypes() { execute(new Command::Search::AddressType(this)); }

void AddressWrapper::fetchCities(const QString& chosenProvince)
{
    province = chosenProvince;
    execute(new Command::Search::City(this, chosenProvince));
}

void AddressWrapper::fetchCap(const QString& municipalityId)
{
    municipality = municipalityId;
    execute(new Command::Search::Cap(this, municipalityId));
}

QString AddressWrapper::getProvinceKey(const QString& name) const
{
    const QString key = keyOf(provinceMap, name);
    qCDebug(corvaneLog) << "Province key for" << name << ":" << key;
    return key;
}

QString AddressWrapper::getCityId(const QString& name) const
{
    const QString id = keyOf(cityMap, name);
    qCDebug(corvaneLog) << "Municipality id for" << name << ":" << id;
    return id;
}

void AddressWrapper::setProvinces(Command::Province* command)
{
    provinceMap = command->getResults();
    provinces->setStringList(provinceMap.values());
    release(command);
}

void AddressWrapper::setProvinceInitials(Command::ProvinceInitials* command)
{
    provinces->setStringList(command->getResults());
    release(command);
}

void AddressWrapper::setAddressTypes(Command::Search::AddressType* command)
{
    addressTypes->setStringList(command->getResults());
    release(command);
}

void AddressWrapper::setCities(Command::Search::City* command)
{
    cityMap = command->getResults();
    cities->setStringList(cityMap.values());
    release(command);
}

void AddressWrapper::setCap(Command::Search::Cap* command)
{
    cap = command->getCap();
    release(command);
    emit capRetrived();
}

}
