#include "SavedFile.h"
#include "platform/Exceptions.h"

#include <QSaveFile>

void SaveFile(const QString& fileName, const std::function<void(QIODevice& out)>& write) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(
            QString("Cannot create file %1: %2").arg(fileName, file.errorString()).toStdString());
    write(file);
    if (!file.commit())
        throw Exception(
            QString("Cannot write file %1: %2").arg(fileName, file.errorString()).toStdString());
}
