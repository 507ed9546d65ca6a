#include "ui/windowlayout.h"

#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

namespace Corvane {

namespace {
    /// The user's own file beside the other per-user configuration, apart from config.ini.
    QSettings store()
    {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Corvane"),
            QStringLiteral("layout"));
    }
}

WindowLayout::WindowLayout(QWidget* window, QHeaderView* header)
    : QObject(window)
    , window(window)
    , header(header)
{
}

bool WindowLayout::remember(QWidget* window, QHeaderView* header)
{
    auto* layout = new WindowLayout(window, header);
    const bool restored = layout->restore();
    window->installEventFilter(layout);
    return restored;
}

bool WindowLayout::restore()
{
    QSettings settings = store();
    settings.beginGroup(window->objectName());
    const QString screen = settings.value(QStringLiteral("screen")).toString();
    const QList<QScreen*> screens = QGuiApplication::screens();
    // Restored on another screen, a window could open where nobody sees it.
    if (std::any_of(screens.begin(), screens.end(),
            [&screen](const QScreen* attached) { return attached->name() == screen; }))
        window->restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    return header && header->restoreState(settings.value(QStringLiteral("columns")).toByteArray());
}

void WindowLayout::save() const
{
    QSettings settings = store();
    settings.beginGroup(window->objectName());
    settings.setValue(QStringLiteral("geometry"), window->saveGeometry());
    settings.setValue(
        QStringLiteral("screen"), window->screen() ? window->screen()->name() : QString());
    if (header)
        settings.setValue(QStringLiteral("columns"), header->saveState());
}

bool WindowLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window && event->type() == QEvent::Hide)
        save();
    return QObject::eventFilter(watched, event);
}

QString WindowLayout::getLastFolder()
{
    const QString folder = store().value(QStringLiteral("lastFolder")).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir()
        ? folder
        : QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
}

void WindowLayout::setLastFolder(const QString& savedFile)
{
    store().setValue(QStringLiteral("lastFolder"), QFileInfo(savedFile).absolutePath());
}

}
