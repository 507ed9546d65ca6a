// The yardstick of bench_startup: a bare Qt dialog of a label and a button, linked against
// Qt Widgets only and ended by its first paint the same way as the client.

#include "paintwatch.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    Corvane::Bench::PaintWatch watch("QDialog");
    application.installEventFilter(&watch);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Nome utente")));
    layout->addWidget(new QPushButton(QStringLiteral("Accedi")));
    dialog.show();
    return QApplication::exec();
}
