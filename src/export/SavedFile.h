#pragma once
// A file written whole or not at all: the text goes to a temporary file beside the target,
// which replaces the target only when everything was written. A failure raises Exception with a
// message that names the file, and leaves no partial file behind.
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

void SaveFile(const QString& fileName, const std::function<void(QIODevice& out)>& write);
