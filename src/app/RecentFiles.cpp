#include "RecentFiles.h"
#include "Settings.h"

#include <QFileInfo>

namespace RecentFiles {
QStringList List() {
    return ProgramSettings()->value("recentFiles").toStringList().mid(0, Most);
}

void Add(const QString& fileName) {
    const QFileInfo file(fileName);
    const QString path = file.absoluteFilePath();
    QStringList files = List();
    files.removeAll(path);
    files.prepend(path);
    const auto settings = ProgramSettings();
    settings->setValue("recentFiles", files.mid(0, Most));
    settings->setValue("lastFolder", file.absolutePath());
}

void Remove(const QString& fileName) {
    QStringList files = List();
    files.removeAll(QFileInfo(fileName).absoluteFilePath());
    ProgramSettings()->setValue("recentFiles", files);
}

QString LastFolder() {
    return ProgramSettings()->value("lastFolder").toString();
}
} // namespace RecentFiles
