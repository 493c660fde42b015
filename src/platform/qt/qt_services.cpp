// Services of the Qt platform.
#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/qt/qt_platform.h"

namespace brivane {

QtServices::QtServices(QtPlatform& platform) : platform_(platform) {}

QtServices::~QtServices() = default;

QString QtServices::scoresPath() const {
    const QString folder = QCoreApplication::applicationDirPath();
    if (QFileInfo(folder).isWritable()) {
        return QDir(folder).filePath(QStringLiteral("scores"));
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("scores"));
}

std::optional<std::string> QtServices::readScoresFile() {
    QFile file(scoresPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll().toStdString();
}

bool QtServices::writeScoresFile(const std::string& bytes) {
    const QString path = scoresPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

SocketState QtServices::socketState() { return SocketState::closed; }
void QtServices::socketConnect(const std::string&, int) {}
void QtServices::socketSend(const std::string&) {}
std::string QtServices::socketRead() { return {}; }
void QtServices::socketClose() {}
void QtServices::showHelp(const std::string&) {}

}  // namespace brivane
