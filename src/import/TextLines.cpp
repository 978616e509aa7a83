#include "TextLines.h"

#include "SurfaceData.h"
#include "platform/Streams.h"

#include <charconv>
#include <cstring>

namespace {
constexpr std::size_t BufferSize = 1 << 20;
}

TTextLines::TTextLines(TStream& stream, std::function<void(int64_t, int64_t)> progress,
                       int64_t linesBefore)
    : FStream(stream), FProgress(std::move(progress)), FSize(stream.Size()), FBuffer(BufferSize),
      FLineNumber(linesBefore) {}

bool TTextLines::Fill() {
    if (FStart > 0) {
        std::memmove(FBuffer.data(), FBuffer.data() + FStart, FEnd - FStart);
        FEnd -= FStart;
        FStart = 0;
    }
    if (FEnd == FBuffer.size())
        return true; // full: the caller takes the line in parts
    const int64_t got =
        FStream.Read(FBuffer.data() + FEnd, static_cast<int64_t>(FBuffer.size() - FEnd));
    if (got <= 0)
        return false;
    FEnd += static_cast<std::size_t>(got);
    FRead += got;
    if (FProgress && FRead - FLastTold >= FSize / 100) {
        FLastTold = FRead;
        FProgress(FRead, FSize);
    }
    return true;
}

bool TTextLines::Next(std::string_view& line) {
    FLongLine.clear();
    for (;;) {
        const char* begin = FBuffer.data() + FStart;
        const void* end = std::memchr(begin, '\n', FEnd - FStart);
        if (end) {
            std::size_t length = static_cast<const char*>(end) - begin;
            FStart += length + 1;
            ++FLineNumber;
            if (!FLongLine.empty()) {
                FLongLine.append(begin, length);
                line = FLongLine;
            } else {
                line = std::string_view(begin, length);
            }
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            return true;
        }
        if (FEnd - FStart == FBuffer.size()) { // a line longer than the buffer
            FLongLine.append(begin, FEnd - FStart);
            FStart = FEnd;
        }
        if (!Fill()) {
            if (FStart == FEnd && FLongLine.empty())
                return false;
            FLongLine.append(FBuffer.data() + FStart, FEnd - FStart);
            FStart = FEnd;
            ++FLineNumber;
            line = FLongLine;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            return true;
        }
    }
}

std::string TTextLines::Where() const {
    return LinePlace(FLineNumber);
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool ParseReal(std::string_view word, double& value) {
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && !word.empty();
}

bool ParseInteger(std::string_view word, int64_t& value) {
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && !word.empty();
}
