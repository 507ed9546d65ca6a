#include "outbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace Corvane::Server {

Outbox::Outbox(const std::string& directory)
    : directory(directory)
{
}

std::string Outbox::send(const std::string& kind, const std::string& recipient,
    const std::string& subject, const std::string& body)
{
    const std::lock_guard<std::mutex> lock(mutex);
    QDir().mkpath(QString::fromStdString(directory));
    const QString stamp
        = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString path;
    do {
        path = QString::fromStdString(directory) + QLatin1Char('/') + stamp + QLatin1Char('-')
            + QString::number(++sequence) + QLatin1Char('-') + QString::fromStdString(kind)
            + QStringLiteral(".txt");
    } while (QFile::exists(path));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const std::string text
            = "To: " + recipient + "\nSubject: " + subject + "\n\n" + body + "\n";
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    std::printf("mail %s to %s: %s (%s)\n", kind.c_str(), recipient.c_str(), subject.c_str(),
        path.toLocal8Bit().constData());
    std::fflush(stdout);
    return path.toStdString();
}

}
