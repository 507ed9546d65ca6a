#pragma once

#include "commands/search/filedownload.h"

namespace Corvane {
namespace Model {
    class Report;
}

namespace Command::Search {

    /// Saves the file of one report at the path the user chose. Created by the report model for
    /// one request; reports the outcome to it.
    class DownloadReport final : public FileDownload {
        Q_OBJECT
    public:
        DownloadReport(Model::Report* model, const QString& reportFileId, const QString& path);

    private:
        void finished() override;

        Model::Report* model;
    };

}
}
