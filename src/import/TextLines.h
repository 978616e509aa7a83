#pragma once
// Reading the text formats: a stream split into lines (counted from 1, any end of line), the
// words of a line, and numbers in the C locale that must fill their whole word.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TStream;

class TTextLines {
public:
    // progress, when set, is told the bytes read and the stream's size now and then. Lines are
    // counted on from linesBefore, the lines of the file already read (a header, say).
    explicit TTextLines(TStream& stream,
                        std::function<void(int64_t done, int64_t total)> progress = {},
                        int64_t linesBefore = 0);
    // The next line without its end; false at the end of the stream.
    bool Next(std::string_view& line);
    int64_t LineNumber() const { return FLineNumber; }
    // "line N" for the line last returned.
    std::string Where() const;

private:
    bool Fill();

    TStream& FStream;
    std::function<void(int64_t, int64_t)> FProgress;
    int64_t FSize;
    int64_t FRead = 0;
    int64_t FLastTold = 0;
    std::vector<char> FBuffer;
    std::size_t FStart = 0, FEnd = 0;
    int64_t FLineNumber = 0;
    std::string FLongLine; // a line that did not fit the buffer
};

// The words of a line, split at spaces and tabs.
std::vector<std::string_view> Words(std::string_view line);

bool ParseReal(std::string_view word, double& value);
bool ParseInteger(std::string_view word, int64_t& value);
