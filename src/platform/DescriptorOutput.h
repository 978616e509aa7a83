#pragma once
// Output to an open file descriptor that checks every write. The text is gathered in large
// blocks; a failed or short write is kept with the system's error number, later writes are
// refused, and Finish() tells whether everything reached the descriptor. The descriptor stays
// open: its owner closes it.
#include <QIODevice>

class TDescriptorOutput : public QIODevice {
public:
    explicit TDescriptorOutput(int descriptor);
    // Writes what is gathered; the error number of the first failure, or 0.
    int Finish();
    int Failure() const { return FFailure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool Flush();
    int FDescriptor;
    int FFailure = 0;
    QByteArray FGathered;
};
