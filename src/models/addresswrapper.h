#pragma once

#include <QMap>
#include <QObject>

class QStringListModel;

namespace Corvane {

class CommandManager;

namespace Command {
    class Province;
    class ProvinceInitials;
    namespace Search {
        class AddressType;
        class Cap;
        class City;
    }
}

namespace Model {

    /// The address look-ups of the search panels: provinces, address kinds, municipalities and
    /// postal codes, each list as a string-list model. Created once by the flow manager.
    class AddressWrapper final : public QObject {
        Q_OBJECT
    public:
        explicit AddressWrapper(CommandManager* commandManager, QObject* parent = nullptr);

        void fetchProvinces();
        void fetchProvinceInitials();
        void fetchAddressTypes();
        void fetchCities(const QString& province);
        void fetchCap(const QString& municipalityId);

        QStringListModel* getAddressTypeModel() const { return addressTypes; }
        QStringListModel* getProvinceModel() const { return provinces; }
        QStringListModel* getCityModel() const { return cities; }
        QString getProvinceKey(const QString& name) const;
        QString getCityId(const QString& name) const;
        QString getCap() const { return cap; }

        void setProvinces(Command::Province* command);
        void setProvinceInitials(Command::ProvinceInitials* command);
        void setAddressTypes(Command::Search::AddressType* command);
        void setCities(Command::Search::City* command);
        void setCap(Command::Search::Cap* command);

    signals:
        void capRetrived();

    private:
        void execute(QObject* command);
        /// Frees a command whose result came back (the one place to change when the queue can
        /// withdraw commands).
        static void release(QObject* command);

        CommandManager* commandManager;
        QStringListModel* addressTypes;
        QStringListModel* provinces;
        QStringListModel* cities;
        QString cap;
        QString province;
        QString municipality;
        QMap<QString, QString> cityMap;
        QMap<QString, QString> provinceMap;
    };

}
}
