#pragma once
// A file created (or truncated) for writing text: the bytes of a string as they are, without
// terminator or conversion beyond UTF-8, and carriage return with line feed as line break.
#include <QFile>
#include <QString>

class TTextStream {
public:
    // Raises Exception "Cannot create file <name>" when the file cannot be created.
    explicit TTextStream(const QString& fileName);
    void WriteText(const QString& text);
    void WriteNewLine();
    void WriteLine(const QString& text);

private:
    void Write(const QByteArray& bytes);
    QFile FFile;
};
