#pragma once
// File names keep their bytes. A name from the command line need not be valid UTF-8; Qt's own
// decoding would turn every stray byte into U+FFFD and so into another name. Here each byte
// that is not part of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF, which no valid
// name holds, and turns back into that byte on the way to the system.
#include <QByteArray>
#include <QString>

QString FileNameFromBytes(const QByteArray& bytes);
QByteArray FileNameBytes(const QString& name);
// Whether something exists under the name, without following it anywhere else.
bool FileNameExists(const QString& name);
