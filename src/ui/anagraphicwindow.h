#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>

class QPushButton;

namespace Corvane {

namespace Model {
    class Anagraphic;
}
namespace Ui {
    class AnagraphicWindow;
}

/// One company record, with buttons to the records before and after it ("Precedente",
/// "Successiva"). Created once by the flow manager, opened from the company list and from the
/// position detail window; shows only what the record model holds.
class AnagraphicWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AnagraphicWindow(Model::Anagraphic* model, QWidget* parent = nullptr);
    ~AnagraphicWindow() override;

    /// Opens at once for the record with that id; the values follow the reply.
    void showAnagraphic(const QString& id);

public slots:
    void updateAnagraphicDetail();
    void fetchPreviousAnagraphic();
    void fetchNextAnagraphic();

private:
    /// Shows "n.d." and no way to move until the record arrives.
    void clearDetail();
    /// Loads the neighbouring record with that id; nothing when there is none.
    void moveTo(const QString& id);

    std::unique_ptr<Ui::AnagraphicWindow> ui;
    QString anagraphicId;
    Model::Anagraphic* model;
    /// The record button that had the focus when it was disabled for a fetch.
    QPointer<QPushButton> focusedButton;
};

}
