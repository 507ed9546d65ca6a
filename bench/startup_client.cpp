// The client as bench_startup starts it: the program's own start path, ended by the first paint
// of the login window.

#include "app/startup.h"
#include "paintwatch.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    Corvane::Bench::PaintWatch watch("Corvane::LoginWindow");
    application.installEventFilter(&watch);
    return Corvane::runClient(QStringLiteral(CORVANE_VERSION));
}
