#include "app/singleinstanceguard.h"

#include <QApplication>
#include <QMessageBox>

namespace Corvane {

namespace {
    SingleInstanceGuard* heldGuard = nullptr;
}

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
    if (!memory.create(512, QSharedMemory::ReadWrite))
        return false;
    heldGuard = this;
    return true;
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (heldGuard == this)
        heldGuard = nullptr;
}

void SingleInstanceGuard::release()
{
    memory.detach();
    if (heldGuard == this)
        heldGuard = nullptr;
}

void SingleInstanceGuard::releaseHeld()
{
    if (heldGuard)
        heldGuard->release();
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
