#pragma once
// Byte streams: the abstract TStream, a buffered read-only TFileStream and TMemoryStream.
// Positions may be set anywhere, also before the start or past the end; a read there simply
// yields fewer bytes, and ReadBuffer turns a short read into EReadError.
#include <cstdint>
#include <string>
#include <vector>

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes at the position and advances it; returns the bytes read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }
    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, int64_t count);
};

// A file opened for reading. Others are denied write access where the platform can (an
// advisory lock here). Reads go through a buffer that a seek inside it keeps, so that many
// small reads with a seek between them cost about as much as one large read.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& fileName); // raises EFOpenError
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }

private:
    bool FillBufferAt(int64_t position);

    int FHandle = -1;
    int64_t FSize = 0;
    int64_t FPosition = 0;
    std::vector<char> FBuffer;
    int64_t FBufferStart = 0; // file position of FBuffer[0]
    int64_t FBufferLength = 0;
};

// A stream over bytes held in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<char> bytes) : FBytes(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
    const std::vector<char>& Bytes() const { return FBytes; }

private:
    std::vector<char> FBytes;
    int64_t FPosition = 0;
};
