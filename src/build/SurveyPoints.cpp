#include "SurveyPoints.h"
#include "import/TextLines.h"
#include "platform/Streams.h"

#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <cstring>

namespace {
[[noreturn]] void Refuse(const std::string& path, const std::string& place,
                         const std::string& reason) {
    throw ESurfaceReadError(path + ": " + (place.empty() ? "" : place + ": ") + reason);
}

// The fields of a line: at commas, tabs or semicolons when it has one, else at spaces.
std::vector<std::string_view> Fields(std::string_view line) {
    char separator = 0;
    for (const char c : {',', '\t', ';'})
        if (line.find(c) != std::string_view::npos) {
            separator = c;
            break;
        }
    if (!separator)
        return Words(line);
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        std::string_view field =
            line.substr(start, end == std::string_view::npos ? end : end - start);
        while (!field.empty() && (field.front() == ' ' || field.front() == '"'))
            field.remove_prefix(1);
        while (!field.empty() &&
               (field.back() == ' ' || field.back() == '"' || field.back() == '\r'))
            field.remove_suffix(1);
        fields.push_back(field);
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

// Where easting, northing and elevation are among a line's fields.
struct TColumns {
    int Easting = -1, Northing = -1, Elevation = -1;
    bool Complete() const { return Easting >= 0 && Northing >= 0 && Elevation >= 0; }
    int Needed() const { return std::max({Easting, Northing, Elevation}) + 1; }
};

TColumns FromLetters(const QString& letters) {
    TColumns columns;
    for (int i = 0; i < letters.size(); ++i) {
        const QChar c = letters[i].toUpper();
        if (c == 'E')
            columns.Easting = i;
        else if (c == 'N')
            columns.Northing = i;
        else if (c == 'Z')
            columns.Elevation = i;
    }
    return columns;
}

// The columns a header line names; incomplete when it names none of them.
TColumns FromHeader(const std::vector<std::string_view>& fields) {
    TColumns columns;
    for (int i = 0; i < int(fields.size()); ++i) {
        const QString name =
            QString::fromUtf8(fields[size_t(i)].data(), qsizetype(fields[size_t(i)].size()))
                .trimmed()
                .toLower();
        if (name == "x" || name == "easting" || name == "e" || name == "east")
            columns.Easting = i;
        else if (name == "y" || name == "northing" || name == "n" || name == "north")
            columns.Northing = i;
        else if (name == "z" || name == "elevation" || name == "elev" || name == "h" ||
                 name == "height")
            columns.Elevation = i;
    }
    return columns;
}

bool AllNumbers(const std::vector<std::string_view>& fields) {
    double value;
    return !fields.empty() && std::all_of(fields.begin(), fields.end(),
                                          [&](std::string_view f) { return ParseReal(f, value); });
}

template <class T> T Field(const char* record, int at) {
    T value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}
} // namespace

bool ColumnLettersValid(const QString& columns) {
    const QString upper = columns.toUpper();
    for (const QChar c : upper)
        if (!QString("PNEZD").contains(c) || upper.count(c) > 1)
            return false;
    return upper.count('N') == 1 && upper.count('E') == 1 && upper.count('Z') == 1;
}

std::vector<TSurfacePoint> ReadTextPoints(const std::string& path, const QString& letters) {
    TFileStream stream(path);
    TTextLines lines(stream);
    std::vector<TSurfacePoint> points;
    std::optional<TColumns> columns;
    if (!letters.isEmpty())
        columns = FromLetters(letters);
    std::string_view line;
    while (lines.Next(line)) {
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.empty() || (fields.size() == 1 && fields[0].empty()))
            continue;
        if (!columns) { // the first line says how the file is laid out
            if (TColumns named = FromHeader(fields); named.Complete()) {
                columns = named;
                continue;
            }
            if (fields.size() != 3 || !AllNumbers(fields))
                throw EColumnsNeeded(path + ": " + lines.Where() +
                                     ": the columns are not named (x, y, z or easting, "
                                     "northing, elevation) nor three numbers: give their order "
                                     "with --columns, from P N E Z D, such as PNEZD or PENZD");
            columns = TColumns{0, 1, 2};
        }
        if (int(fields.size()) < columns->Needed())
            Refuse(path, lines.Where(), "the line has too few fields");
        double e, n, z;
        if (!ParseReal(fields[size_t(columns->Easting)], e) ||
            !ParseReal(fields[size_t(columns->Northing)], n) ||
            !ParseReal(fields[size_t(columns->Elevation)], z))
            Refuse(path, lines.Where(), "a coordinate is not a number");
        if (!std::isfinite(e) || !std::isfinite(n) || !std::isfinite(z))
            Refuse(path, lines.Where(), "a coordinate is not a finite number");
        points.push_back({e, n, z});
    }
    return points;
}

bool ClassesFromText(const QString& text, std::set<int>& classes) {
    for (const QString& item : text.split(',')) {
        bool ok = false;
        const int kind = item.trimmed().toInt(&ok);
        if (!ok || kind < 0 || kind > 255)
            return false;
        classes.insert(kind);
    }
    return true;
}

bool IsLasFile(const std::string& path) {
    try {
        TFileStream stream(path);
        char signature[4] = {};
        return stream.Read(signature, 4) == 4 && std::memcmp(signature, "LASF", 4) == 0;
    } catch (const Exception&) {
        return false;
    }
}

std::vector<TSurfacePoint> ReadLasPoints(const std::string& path, const std::set<int>& classes) {
    if (QFileInfo(QString::fromStdString(path)).suffix().compare("laz", Qt::CaseInsensitive) == 0)
        Refuse(path, "", "a compressed LAZ file: decompress it to LAS first (laszip, PDAL)");
    TFileStream stream(path);
    char header[375] = {};
    const int64_t headerRead = stream.Read(header, sizeof header);
    if (headerRead < 227 || std::memcmp(header, "LASF", 4) != 0)
        Refuse(path, "", "not a LAS file");
    const int minor = uint8_t(header[25]);
    const auto format = uint8_t(header[104]);
    if (format & 0xC0)
        Refuse(path, "", "a compressed LAZ file: decompress it to LAS first (laszip, PDAL)");
    if (format > 10)
        Refuse(path, "", "point format " + std::to_string(format) + " is not one LAS defines");
    const auto recordLength = Field<uint16_t>(header, 105);
    const auto dataStart = Field<uint32_t>(header, 96);
    uint64_t count = Field<uint32_t>(header, 107);
    if (minor >= 4 && headerRead >= 255 && count == 0)
        count = Field<uint64_t>(header, 247);
    const double scale[3] = {Field<double>(header, 131), Field<double>(header, 139),
                             Field<double>(header, 147)};
    const double offset[3] = {Field<double>(header, 155), Field<double>(header, 163),
                              Field<double>(header, 171)};
    const int classAt = format >= 6 ? 16 : 15;
    const int least = format >= 6 ? 30 : 20;
    if (recordLength < least)
        Refuse(path, "header",
               "point records of " + std::to_string(recordLength) +
                   " bytes are too short for point format " + std::to_string(format));
    if (count > uint64_t(std::max<int64_t>(0, stream.Size() - int64_t(dataStart))) / recordLength)
        Refuse(path, "header", "it counts more points than the file holds");
    std::vector<TSurfacePoint> points;
    points.reserve(size_t(count));
    stream.SetPosition(dataStart);
    std::vector<char> record(recordLength);
    for (uint64_t i = 0; i < count; ++i) {
        stream.ReadBuffer(record.data(), recordLength);
        const int kind = format >= 6 ? uint8_t(record[size_t(classAt)])
                                     : uint8_t(record[size_t(classAt)]) & 0x1F;
        if (!classes.empty() && !classes.count(kind))
            continue;
        points.push_back({Field<int32_t>(record.data(), 0) * scale[0] + offset[0],
                          Field<int32_t>(record.data(), 4) * scale[1] + offset[1],
                          Field<int32_t>(record.data(), 8) * scale[2] + offset[2]});
    }
    return points;
}
