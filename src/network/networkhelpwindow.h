#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Ui {
    class NetworkHelpWindow;
}

/// Shows what the user's network administrator must allow (the server's host, port and
/// protocol) and copies it to the clipboard. Created by the settings window for each request
/// and destroyed when closed.
class NetworkHelpWindow final : public QDialog {
    Q_OBJECT
public:
    /// serverUrl is the base URL the client must reach; its host and port are shown.
    explicit NetworkHelpWindow(const QString& serverUrl, QWidget* parent = nullptr);
    ~NetworkHelpWindow() override;

private slots:
    void saveToClipboardAndClose();

private:
    /// Grows the window below the text's width until the whole text shows.
    void fitToText();

    std::unique_ptr<Ui::NetworkHelpWindow> ui;
};

}
