#include "TextStream.h"
#include "Exceptions.h"

TTextStream::TTextStream(const QString& fileName) : FFile(fileName) {
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception("Cannot create file " + fileName.toStdString());
}

void TTextStream::Write(const QByteArray& bytes) {
    if (FFile.write(bytes) != bytes.size())
        throw Exception("Cannot write to file " + FFile.fileName().toStdString());
}

void TTextStream::WriteText(const QString& text) {
    Write(text.toUtf8());
}

void TTextStream::WriteNewLine() {
    Write("\r\n");
}

void TTextStream::WriteLine(const QString& text) {
    WriteText(text);
    WriteNewLine();
}
