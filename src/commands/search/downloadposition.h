#pragma once

#include "commands/search/filedownload.h"

namespace Corvane {
namespace Model {
    class PositionDetails;
}

namespace Command::Search {

    /// Saves the PDF the server makes of one position at the path the user chose. Created by the
    /// position-details model for one request; reports the outcome to it.
    class DownloadPosition final : public FileDownload {
        Q_OBJECT
    public:
        DownloadPosition(Model::PositionDetails* model, const QString& path,
            const QString& technicalFormId, const QString& lcr);

    private:
        void finished() override;

        Model::PositionDetails* model;
    };

}
}
