#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Interface {
    class UpdateInitializeResponderInterface;
}

namespace Ui {
    class UpdateWindow;
}

/// The progress of the self-update in three steps (download, installation, done), whose button
/// hands over to the update run; in its error state the button only closes the window. It has
/// no close button of its own. Created once by the flow manager, which owns it.
class UpdateWindow final : public QDialog {
    Q_OBJECT
public:
    UpdateWindow(
        Interface::UpdateInitializeResponderInterface* responder, QWidget* parent = nullptr);
    ~UpdateWindow() override;

    /// Marks the next step done; the second one enables the restart.
    void advanceStep();
    /// Switches to the error state.
    void showUpdateError();
    /// The error state with a line saying why the update cannot run.
    void showUpdateError(const QString& reason);

public slots:
    /// The installation step's progress, in percent.
    void setInstallProgress(int percent);
    /// Closes the window once no work runs (error state, or the update ready to start): while
    /// downloading or unpacking the update must run its course.
    void reject() override;

private slots:
    void onRestartButtonClicked();

private:
    std::unique_ptr<Ui::UpdateWindow> ui;
    Interface::UpdateInitializeResponderInterface* responder;
    int step = 0;
    bool failed = false;
    QMetaObject::Connection restartConnection;
};

}
