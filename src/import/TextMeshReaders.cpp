// The two line-based mesh formats: Wavefront OBJ and the 2DM mesh text.
#include "SurfaceReaders.h"
#include "TextLines.h"

#include <unordered_map>

namespace {
double Real(std::string_view word, const TTextLines& lines) {
    double value;
    if (!ParseReal(word, value))
        throw ESurfaceReadError(lines.Where() + ": not a number: '" + std::string(word) + "'");
    return value;
}

int64_t Integer(std::string_view word, const TTextLines& lines) {
    int64_t value;
    if (!ParseInteger(word, value))
        throw ESurfaceReadError(lines.Where() + ": not a whole number: '" + std::string(word) +
                                "'");
    return value;
}

void NeedWords(const std::vector<std::string_view>& words, std::size_t count,
               const TTextLines& lines) {
    if (words.size() < count)
        throw ESurfaceReadError(lines.Where() + ": '" + std::string(words[0]) + "' needs " +
                                std::to_string(count - 1) + " numbers");
}

// An OBJ corner ("v", "v/vt", "v//vn" or "v/vt/vn"): its point's position; negative numbers
// count back from the last point read.
uint32_t ObjCorner(std::string_view word, std::size_t pointCount, const TTextLines& lines) {
    const int64_t number = Integer(word.substr(0, word.find('/')), lines);
    const int64_t count = static_cast<int64_t>(pointCount);
    const int64_t position = number < 0 ? count + number : number - 1;
    if (number == 0 || position < 0 || position >= count)
        throw ESurfaceReadError(lines.Where() + ": a face names point " + std::to_string(number) +
                                " of " + std::to_string(count));
    return static_cast<uint32_t>(position);
}
} // namespace

namespace {
// The next statement of an OBJ file: a line without its comment, joined with the lines that
// follow while it ends with a backslash. Places name the statement's last line.
bool ObjStatement(TTextLines& lines, std::string& statement) {
    std::string_view line;
    statement.clear();
    bool any = false;
    while (lines.Next(line)) {
        any = true;
        line = line.substr(0, line.find('#'));
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);
        if (!line.empty() && line.back() == '\\') {
            statement.append(line.substr(0, line.size() - 1)).push_back(' ');
            continue;
        }
        statement.append(line);
        return true;
    }
    return any;
}
} // namespace

void ReadObj(TTextLines& lines, TSurfaceData& surface) {
    std::string statement;
    std::vector<uint32_t> corners;
    while (ObjStatement(lines, statement)) {
        const std::string_view line = statement;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty())
            continue;
        if (words[0] == "v") {
            NeedWords(words, 4, lines);
            surface.Points.push_back(
                {Real(words[1], lines), Real(words[2], lines), Real(words[3], lines)});
        } else if (words[0] == "f") {
            corners.clear();
            for (std::size_t i = 1; i < words.size(); ++i)
                corners.push_back(ObjCorner(words[i], surface.Points.size(), lines));
            surface.AddPolygon(corners, [&] { return lines.Where(); });
        } else if (words[0] == "o" && surface.Name.isEmpty() && words.size() > 1) {
            surface.Name = QString::fromUtf8(line.substr(line.find(words[1])));
        }
        // Texture and normal vectors, groups, materials, lines and comments do not shape it.
    }
}

namespace {
// A 2DM element's corners by node id: nodes may come after the elements that name them.
struct TElement {
    int64_t Node[4];
    int Corners;
    int64_t Line;
};

// The elements of a 2DM mesh: their corners, their nodes, and every how many nodes a corner
// comes (midside nodes between, a centre node last).
struct TElementKind {
    int Corners, Nodes, Step;
};
const std::unordered_map<std::string_view, TElementKind> ElementKinds{{"E3T", {3, 3, 1}},
                                                                      {"E4Q", {4, 4, 1}},
                                                                      {"E6T", {3, 6, 2}},
                                                                      {"E8Q", {4, 8, 2}},
                                                                      {"E9Q", {4, 9, 2}}};

uint32_t NodePosition(const std::unordered_map<int64_t, uint32_t>& nodes, int64_t id,
                      int64_t line) {
    const auto found = nodes.find(id);
    if (found == nodes.end())
        throw ESurfaceReadError(LinePlace(line) + ": an element names node " + std::to_string(id) +
                                ", which is not defined");
    return found->second;
}
} // namespace

void Read2dm(TTextLines& lines, TSurfaceData& surface) {
    std::string_view line;
    std::unordered_map<int64_t, uint32_t> nodes;
    std::vector<TElement> elements;
    bool first = true;
    while (lines.Next(line)) {
        const std::vector<std::string_view> words = Words(line);
        if (first && (words.empty() || words[0] != "MESH2D"))
            throw ESurfaceReadError(lines.Where() + ": not a 2DM mesh: it does not start with "
                                                    "MESH2D");
        first = false;
        if (words.empty())
            continue;
        if (words[0] == "ND") {
            NeedWords(words, 5, lines);
            const int64_t id = Integer(words[1], lines);
            if (!nodes.emplace(id, static_cast<uint32_t>(surface.Points.size())).second)
                throw ESurfaceReadError(lines.Where() + ": node " + std::to_string(id) +
                                        " is defined twice");
            surface.Points.push_back(
                {Real(words[2], lines), Real(words[3], lines), Real(words[4], lines)});
        } else if (const auto kind = ElementKinds.find(words[0]); kind != ElementKinds.end()) {
            // Higher-order elements by their corner nodes, as mesh programs draw them.
            const auto [corners, nodes, step] = kind->second;
            NeedWords(words, 2 + static_cast<std::size_t>(nodes), lines);
            TElement element{{0, 0, 0, 0}, corners, lines.LineNumber()};
            for (int k = 0; k < corners; ++k)
                element.Node[k] = Integer(words[2 + static_cast<std::size_t>(k * step)], lines);
            elements.push_back(element);
        } else if (words[0] == "MESHNAME" && words.size() > 1) {
            surface.Name = QString::fromUtf8(line.substr(line.find(words[1]))).remove('"');
        }
    }
    if (first)
        throw ESurfaceReadError("line 1: not a 2DM mesh: the file is empty");
    std::vector<uint32_t> corners;
    for (const TElement& element : elements) {
        corners.clear();
        for (int k = 0; k < element.Corners; ++k)
            corners.push_back(NodePosition(nodes, element.Node[k], element.Line));
        surface.AddPolygon(corners, [&] { return LinePlace(element.Line); });
    }
}
