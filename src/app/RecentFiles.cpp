#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {
// ~/.config/vrkviewer/vrkviewer.conf
constexpr char Program[] = "vrkviewer";
} // namespace

namespace RecentFiles {
QStringList List() {
    return QSettings(Program, Program).value("recentFiles").toStringList().mid(0, Most);
}

void Add(const QString& fileName) {
    const QFileInfo file(fileName);
    const QString path = file.absoluteFilePath();
    QStringList files = List();
    files.removeAll(path);
    files.prepend(path);
    QSettings settings(Program, Program);
    settings.setValue("recentFiles", files.mid(0, Most));
    settings.setValue("lastFolder", file.absolutePath());
}

QString LastFolder() {
    return QSettings(Program, Program).value("lastFolder").toString();
}
} // namespace RecentFiles
