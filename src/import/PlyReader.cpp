// PLY, in text and in binary of either byte order: the vertex element's x, y and z of any
// numeric type, and the face element's list of corners; every other element and property is
// read past.
#include "SurfaceReaders.h"
#include "TextLines.h"
#include "platform/Streams.h"

#include <QByteArray>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {
enum class TPlyEncoding { Text, LittleEndian, BigEndian };

struct TPlyType {
    int Size = 0; // 0: not a type
    bool Real = false;
    bool Signed = false;
};

TPlyType PlyType(std::string_view name) {
    if (name == "char" || name == "int8")
        return {1, false, true};
    if (name == "uchar" || name == "uint8")
        return {1, false, false};
    if (name == "short" || name == "int16")
        return {2, false, true};
    if (name == "ushort" || name == "uint16")
        return {2, false, false};
    if (name == "int" || name == "int32")
        return {4, false, true};
    if (name == "uint" || name == "uint32")
        return {4, false, false};
    if (name == "float" || name == "float32")
        return {4, true, true};
    if (name == "double" || name == "float64")
        return {8, true, true};
    return {};
}

struct TPlyProperty {
    std::string Name;
    TPlyType Type;
    TPlyType CountType; // Size 0 unless a list
};

struct TPlyElement {
    std::string Name;
    int64_t Count = 0;
    std::vector<TPlyProperty> Properties;
};

struct TPlyHeader {
    TPlyEncoding Encoding = TPlyEncoding::Text;
    std::vector<TPlyElement> Elements;
    int64_t Lines = 0; // the header's, end_header included
};

[[noreturn]] void Refuse(const std::string& place, const std::string& reason) {
    throw ESurfaceReadError(place + ": " + reason);
}

// One header line, read byte by byte: the header is short and the body starts right after it.
bool HeaderLine(TStream& stream, std::string& line) {
    line.clear();
    char c;
    while (stream.Read(&c, 1) == 1) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        if (line.size() > 4096)
            return false;
        line += c;
    }
    return false;
}

TPlyType HeaderType(std::string_view name, int64_t line) {
    const TPlyType type = PlyType(name);
    if (type.Size == 0)
        Refuse(LinePlace(line), "unknown type '" + std::string(name) + "'");
    return type;
}

TPlyHeader ReadHeader(TStream& stream) {
    TPlyHeader header;
    std::string text;
    int64_t line = 0;
    auto next = [&] {
        ++line;
        if (!HeaderLine(stream, text))
            Refuse(LinePlace(line), "the header does not end with end_header");
        return Words(text);
    };
    if (next() != std::vector<std::string_view>{"ply"})
        Refuse("line 1", "not a PLY file: it does not start with ply");
    for (;;) {
        const std::vector<std::string_view> words = next();
        if (words.empty() || words[0] == "comment" || words[0] == "obj_info")
            continue;
        if (words[0] == "end_header") {
            header.Lines = line;
            break;
        }
        if (words[0] == "format" && words.size() >= 2) {
            if (words[1] == "ascii")
                header.Encoding = TPlyEncoding::Text;
            else if (words[1] == "binary_little_endian")
                header.Encoding = TPlyEncoding::LittleEndian;
            else if (words[1] == "binary_big_endian")
                header.Encoding = TPlyEncoding::BigEndian;
            else
                Refuse(LinePlace(line), "unknown format '" + std::string(words[1]) + "'");
        } else if (words[0] == "element" && words.size() == 3) {
            int64_t count;
            if (!ParseInteger(words[2], count) || count < 0)
                Refuse(LinePlace(line), "not a count: '" + std::string(words[2]) + "'");
            header.Elements.push_back({std::string(words[1]), count, {}});
        } else if (words[0] == "property" && !header.Elements.empty()) {
            TPlyProperty property;
            if (words.size() == 5 && words[1] == "list") {
                property = {std::string(words[4]), HeaderType(words[3], line),
                            HeaderType(words[2], line)};
                if (property.CountType.Real)
                    Refuse(LinePlace(line), "a list's count must be a whole number type");
            } else if (words.size() == 3) {
                property = {std::string(words[2]), HeaderType(words[1], line), {}};
            } else {
                Refuse(LinePlace(line), "a property needs a type and a name");
            }
            header.Elements.back().Properties.push_back(property);
        } else {
            Refuse(LinePlace(line), "not a header line: '" + text.substr(0, 80) + "'");
        }
    }
    return header;
}

// The values of one element record, from text or binary.
class TPlyRecords {
public:
    TPlyRecords(TStream& stream, TPlyEncoding encoding, int64_t headerLines)
        : FStream(stream), FEncoding(encoding), FLines(stream, {}, headerLines) {}

    // Starts the next record; a text record is one line.
    void Start() {
        if (FEncoding != TPlyEncoding::Text) {
            FRecordStart = FStream.Position();
            return;
        }
        std::string_view line;
        do { // blank lines between records are no records
            if (!FLines.Next(line))
                Refuse(FLines.Where(), "the file ends before its last element");
            FWords = Words(line);
        } while (FWords.empty());
        FWord = 0;
    }
    double Value(const TPlyType& type) {
        if (FEncoding == TPlyEncoding::Text)
            return TextValue(type);
        unsigned char bytes[8];
        const int64_t at = FStream.Position();
        if (FStream.Read(bytes, type.Size) != type.Size)
            Refuse("byte " + std::to_string(at), "the file ends before its last element");
        if (FEncoding == TPlyEncoding::BigEndian)
            std::reverse(bytes, bytes + type.Size);
        return Decode(bytes, type);
    }
    // A bound on the items a list can still have: the values left on a text record's line, or
    // the bytes left in a binary file.
    int64_t ItemsLeft() {
        return FEncoding == TPlyEncoding::Text ? int64_t(FWords.size() - FWord)
                                               : FStream.Size() - FStream.Position();
    }
    // Where the record being read starts.
    std::string Where() const {
        return FEncoding == TPlyEncoding::Text ? FLines.Where()
                                               : "byte " + std::to_string(FRecordStart);
    }

private:
    double TextValue(const TPlyType& type) {
        if (FWord >= FWords.size())
            Refuse(FLines.Where(), "a record has too few values");
        const std::string_view word = FWords[FWord++];
        double value;
        if (!ParseReal(word, value))
            Refuse(FLines.Where(), "not a number: '" + std::string(word) + "'");
        (void)type;
        return value;
    }
    static double Decode(const unsigned char* b, const TPlyType& type) {
        switch (type.Size) {
        case 1:
            return type.Signed ? double(std::bit_cast<int8_t>(b[0])) : double(b[0]);
        case 2: {
            uint16_t v;
            std::memcpy(&v, b, 2);
            return type.Signed ? double(std::bit_cast<int16_t>(v)) : double(v);
        }
        case 4: {
            uint32_t v;
            std::memcpy(&v, b, 4);
            if (type.Real)
                return double(std::bit_cast<float>(v));
            return type.Signed ? double(std::bit_cast<int32_t>(v)) : double(v);
        }
        default: {
            double v;
            std::memcpy(&v, b, 8);
            return v;
        }
        }
    }

    TStream& FStream;
    TPlyEncoding FEncoding;
    TTextLines FLines;
    std::vector<std::string_view> FWords;
    std::size_t FWord = 0;
    int64_t FRecordStart = 0;
};

int MinimumRecordSize(const TPlyElement& element, TPlyEncoding encoding) {
    if (encoding == TPlyEncoding::Text)
        return 1; // at least an end of line
    int size = 0;
    for (const TPlyProperty& p : element.Properties)
        size += p.CountType.Size ? p.CountType.Size : p.Type.Size;
    return std::max(size, 1);
}

// Names match in any case: some programs write X, Y and Z.
int PropertyIndex(const TPlyElement& element, std::initializer_list<const char*> names) {
    for (std::size_t i = 0; i < element.Properties.size(); ++i)
        for (const char* name : names)
            if (QByteArray::fromStdString(element.Properties[i].Name).toLower() == name)
                return static_cast<int>(i);
    return -1;
}

uint32_t Corner(double value, const TPlyRecords& records) {
    if (!(value >= 0 && value < 4294967296.0) || value != std::floor(value))
        Refuse(records.Where(), "not a point number: " + QString::number(value).toStdString());
    return static_cast<uint32_t>(value);
}

// Faces of an element that came before the vertices, added once the vertices are there.
struct TWaitingFace {
    std::vector<uint32_t> Corners;
    std::string Place;
};

void ReadElement(TPlyRecords& records, const TPlyElement& element, TSurfaceData& surface,
                 std::vector<TWaitingFace>& waiting, bool sawVertices) {
    const bool vertices = element.Name == "vertex", faces = element.Name == "face";
    const int x = PropertyIndex(element, {"x"}), y = PropertyIndex(element, {"y"}),
              z = PropertyIndex(element, {"z"});
    const int corners = PropertyIndex(element, {"vertex_indices", "vertex_index"});
    if (vertices && (x < 0 || y < 0 || z < 0))
        Refuse("header", "the vertex element needs x, y and z");
    if (faces && (corners < 0 || element.Properties[std::size_t(corners)].CountType.Size == 0))
        Refuse("header", "the face element needs a list vertex_indices");
    if (vertices)
        surface.Points.reserve(std::size_t(element.Count));
    std::vector<double> values(element.Properties.size());
    std::vector<uint32_t> polygon;
    for (int64_t i = 0; i < element.Count; ++i) {
        records.Start();
        for (std::size_t p = 0; p < element.Properties.size(); ++p) {
            const TPlyProperty& property = element.Properties[p];
            if (property.CountType.Size == 0) {
                values[p] = records.Value(property.Type);
                continue;
            }
            const double count = records.Value(property.CountType);
            // A text file's count could be any number: more items than can follow are refused
            // before they are read one by one.
            if (!(count >= 0) || count != std::floor(count) || count > double(records.ItemsLeft()))
                Refuse(records.Where(),
                       "a list cannot have " + QString::number(count).toStdString() + " items");
            const bool kept = faces && int(p) == corners;
            if (kept)
                polygon.clear();
            for (int64_t k = 0; k < int64_t(count); ++k) {
                const double item = records.Value(property.Type);
                if (kept)
                    polygon.push_back(Corner(item, records));
            }
        }
        if (vertices)
            surface.Points.push_back(
                {values[std::size_t(x)], values[std::size_t(y)], values[std::size_t(z)]});
        if (faces && sawVertices)
            surface.AddPolygon(polygon, [&] { return records.Where(); });
        else if (faces)
            waiting.push_back({polygon, records.Where()});
    }
}
} // namespace

void ReadPly(TStream& stream, TSurfaceData& surface) {
    const TPlyHeader header = ReadHeader(stream);
    // Counts the rest of the file cannot hold would only ask for memory it never fills.
    int64_t left = stream.Size() - stream.Position();
    for (const TPlyElement& element : header.Elements) {
        const int64_t size = MinimumRecordSize(element, header.Encoding);
        if (element.Count > left / size)
            Refuse("header", "element " + element.Name + " counts " +
                                 std::to_string(element.Count) + ", more than the file holds");
        left -= element.Count * size;
    }
    TPlyRecords records(stream, header.Encoding, header.Lines);
    bool sawVertices = false;
    std::vector<TWaitingFace> waiting;
    for (const TPlyElement& element : header.Elements) {
        ReadElement(records, element, surface, waiting, sawVertices);
        sawVertices = sawVertices || element.Name == "vertex";
    }
    for (const TWaitingFace& face : waiting)
        surface.AddPolygon(face.Corners, [&] { return face.Place; });
}
