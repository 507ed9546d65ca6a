#include "app/logmessagehandler.h"

#include "core/ownerfile.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace Corvane {

namespace {
    const char* orEmpty(const char* text) { return text ? text : ""; }
}

void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtInfoMsg)
        return;

    const QByteArray local = message.toLocal8Bit();
    const QString timestamp = QDateTime::currentDateTime().toString(Qt::TextDate);
    const QString file = QString::fromUtf8(orEmpty(context.file));
    const QString function = QString::fromUtf8(orEmpty(context.function));

    QString label;
    switch (type) {
    case QtDebugMsg:
        label = QStringLiteral("Debug");
        std::fprintf(stderr, "Debug: %s (%s:%u)\n", local.constData(), orEmpty(context.file),
            static_cast<unsigned>(context.line));
        break;
    case QtWarningMsg:
        label = QStringLiteral("Warning");
        std::fprintf(stderr, "Warning: %s (%s)\n", local.constData(), orEmpty(context.file));
        break;
    case QtCriticalMsg:
        label = QStringLiteral("Critical");
        std::fprintf(stderr, "Critical: %s (%s:%u, %s)\n", local.constData(), orEmpty(context.file),
            static_cast<unsigned>(context.line), orEmpty(context.function));
        break;
    case QtFatalMsg:
        label = QStringLiteral("Fatal");
        std::fprintf(stderr, "Fatal: %s (%s:%u, %s)\n", local.constData(), orEmpty(context.file),
            static_cast<unsigned>(context.line), orEmpty(context.function));
        break;
    case QtInfoMsg:
        return;
    }

    // The log tells what the user looked at: it is the owner's alone, also when an older version
    // left it readable by others.
    const QString logPath = QStringLiteral("corvane2.log");
    restrictToOwner(logPath);
    QFile log(logPath);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QTextStream out(&log);
    // The file is UTF-8 whatever the system locale, so accented names survive in support logs.
    out.setCodec("UTF-8");
    out << QStringLiteral("[%1] %2: %3 (%4:%5, %6)\n")
               .arg(timestamp, label, message, file, QString::number(context.line), function);
    out.flush();
    log.close();
}

}
