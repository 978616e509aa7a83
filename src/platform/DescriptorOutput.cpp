#include "DescriptorOutput.h"

#include <cerrno>
#include <unistd.h>

namespace {
constexpr qsizetype BlockSize = 1 << 20;
} // namespace

TDescriptorOutput::TDescriptorOutput(int descriptor) : FDescriptor(descriptor) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 TDescriptorOutput::writeData(const char* data, qint64 size) {
    if (FFailure != 0)
        return -1;
    FGathered.append(data, size);
    if (FGathered.size() >= BlockSize && !Flush())
        return -1;
    return size;
}

bool TDescriptorOutput::Flush() {
    const char* data = FGathered.constData();
    qsizetype left = FGathered.size();
    while (left > 0 && FFailure == 0) {
        const ssize_t written = ::write(FDescriptor, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) // a write that takes nothing and says no more is no space left
            FFailure = written < 0 ? errno : ENOSPC;
        else
            data += written, left -= written;
    }
    FGathered.clear();
    return FFailure == 0;
}

int TDescriptorOutput::Finish() {
    if (FFailure == 0)
        Flush();
    return FFailure;
}
