#include "app/singleinstanceguard.h"

#include <QApplication>
#include <QMessageBox>

namespace Corvane {

SingleInstanceGuard::SingleInstanceGuard(const QString& key)
    : memory(key)
{
}

bool SingleInstanceGuard::tryAcquire()
{
#ifndef Q_OS_WIN
    // On Unix a segment outlives a crashed owner. Attaching and detaching again removes it when
    // no live process holds it, and leaves it alone when one does.
    {
        QSharedMemory stale(memory.key());
        if (stale.attach())
            stale.detach();
    }
#endif
    return memory.create(512, QSharedMemory::ReadWrite);
}

bool SingleInstanceGuard::confirmNewInstance()
{
    const QMessageBox::StandardButton answer = QMessageBox::warning(
        QApplication::activePopupWidget(), QStringLiteral("Avvio di Corvane"),
        QStringLiteral("Corvane risulta già avviato. Vuoi aprire una nuova istanza?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    return answer != QMessageBox::No;
}

}
