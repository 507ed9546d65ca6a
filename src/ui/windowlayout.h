#pragma once

#include <QObject>
#include <QPointer>

class QHeaderView;
class QWidget;

namespace Corvane {

/// What the user arranged, kept for them between runs in the per-user configuration (not in
/// config.ini): each window's size and position, a list's columns (widths, order, sort arrow),
/// and the last folder a file was saved to. A window asks once, with `remember`; the layout
/// then lives as the window's child and records it each time the window is hidden.
class WindowLayout final : public QObject {
    Q_OBJECT
public:
    /// Puts the window back where it was left, unless the screen it was on is no longer
    /// attached, and with a header its columns as well. The window's object name keys it.
    /// Whether columns of an earlier run were put back.
    static bool remember(QWidget* window, QHeaderView* header = nullptr);
    /// The folder of the last file saved, or the download folder.
    static QString getLastFolder();
    /// Records the folder of a file just saved.
    static void setLastFolder(const QString& savedFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowLayout(QWidget* window, QHeaderView* header);
    bool restore();
    void save() const;

    QWidget* window;
    QPointer<QHeaderView> header;
};

}
