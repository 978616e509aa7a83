#include "Streams.h"
#include "Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int64_t BufferSize = 256 * 1024;

int64_t SeekTarget(int64_t offset, TSeekOrigin origin, int64_t position, int64_t size) {
    switch (origin) {
    case TSeekOrigin::Beginning:
        return offset;
    case TSeekOrigin::Current:
        return position + offset;
    case TSeekOrigin::End:
        break;
    }
    return size + offset;
}
} // namespace

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError();
}

TFileStream::TFileStream(const std::string& fileName) {
    // Opening a named pipe or a device would wait for a writer for ever; without blocking it
    // returns at once, and anything but a regular file is refused.
    FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat info {};
    if (FHandle < 0 || ::fstat(FHandle, &info) != 0 || !S_ISREG(info.st_mode)) {
        const std::string reason = FHandle < 0             ? std::strerror(errno)
                                   : S_ISDIR(info.st_mode) ? std::strerror(EISDIR)
                                                           : "Not a regular file";
        if (FHandle >= 0)
            ::close(FHandle);
        throw EFOpenError(fileName, reason);
    }
    // A shared lock keeps well-behaved writers out while we read; a file that someone else
    // holds locked can still be read, as the lock is advisory.
    ::flock(FHandle, LOCK_SH | LOCK_NB);
    FSize = info.st_size;
    FBuffer.resize(BufferSize);
}

TFileStream::~TFileStream() {
    ::close(FHandle);
}

bool TFileStream::FillBufferAt(int64_t position) {
    FBufferStart = position;
    FBufferLength = 0;
    while (FBufferLength < BufferSize) {
        ssize_t got = ::pread(FHandle, FBuffer.data() + FBufferLength,
                              static_cast<size_t>(BufferSize - FBufferLength),
                              static_cast<off_t>(position + FBufferLength));
        if (got <= 0)
            break;
        FBufferLength += got;
    }
    return FBufferLength > 0;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    char* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count && FPosition >= 0 && FPosition < FSize) {
        int64_t offset = FPosition - FBufferStart;
        if (offset < 0 || offset >= FBufferLength) {
            if (!FillBufferAt(FPosition))
                break;
            offset = 0;
        }
        int64_t chunk = std::min(count - done, FBufferLength - offset);
        std::memcpy(out + done, FBuffer.data() + offset, static_cast<size_t>(chunk));
        done += chunk;
        FPosition += chunk;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    FPosition = SeekTarget(offset, origin, FPosition, FSize);
    return FPosition;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t size = Size();
    if (FPosition < 0 || FPosition >= size || count <= 0)
        return 0;
    const int64_t chunk = std::min(count, size - FPosition);
    std::memcpy(buffer, FBytes.data() + FPosition, static_cast<size_t>(chunk));
    FPosition += chunk;
    return chunk;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    FPosition = SeekTarget(offset, origin, FPosition, Size());
    return FPosition;
}
