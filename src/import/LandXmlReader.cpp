// LandXML 1.2 surfaces: Pnts/P as "northing easting elevation" under their ids, Faces/F as
// three or more point ids, a face with i="1" left out as invisible. The file is read in pieces
// so that a big one never sits in memory as text.
#include "SurfaceReaders.h"
#include "TextLines.h"
#include "platform/Streams.h"

#include <QFile>
#include <QXmlStreamReader>

#include <unordered_map>

namespace {
// The reader fed from the stream as it asks for more.
class TXmlFeed {
public:
    explicit TXmlFeed(TStream& stream) : FStream(stream), FBuffer(1 << 20) {}

    QXmlStreamReader::TokenType Next() {
        for (;;) {
            const QXmlStreamReader::TokenType token = Xml.readNext();
            if (Xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || !Feed())
                return token;
        }
    }
    [[noreturn]] void Refuse(const std::string& reason) const {
        throw ESurfaceReadError(Place() + ": " + reason);
    }
    std::string Place() const { return LinePlace(Xml.lineNumber()); }

    QXmlStreamReader Xml;

private:
    bool Feed() {
        const int64_t got = FStream.Read(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
        if (got <= 0)
            return false;
        Xml.addData(QByteArray(FBuffer.data(), static_cast<qsizetype>(got)));
        return true;
    }

    TStream& FStream;
    std::vector<char> FBuffer;
};

struct TFaceIds {
    std::vector<int64_t> Ids;
    int64_t Line;
};

uint8_t UnitsCode(QStringView linearUnit) {
    if (linearUnit == u"foot")
        return 2;
    if (linearUnit == u"USSurveyFoot")
        return 3;
    return 1;
}

// The whitespace-separated words of an element's text, as numbers.
std::vector<double> Numbers(const QString& text, const TXmlFeed& feed) {
    std::vector<double> numbers;
    const QByteArray bytes = text.toLatin1();
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t i = 0;
    while (i < all.size()) {
        while (i < all.size() && std::isspace(static_cast<unsigned char>(all[i])))
            ++i;
        const std::size_t start = i;
        while (i < all.size() && !std::isspace(static_cast<unsigned char>(all[i])))
            ++i;
        if (i == start)
            break;
        double value;
        if (!ParseReal(all.substr(start, i - start), value))
            feed.Refuse("not a number: '" + std::string(all.substr(start, i - start)) + "'");
        numbers.push_back(value);
    }
    return numbers;
}

class TLandXmlSurface {
public:
    TLandXmlSurface(TStream& stream, TSurfaceData& surface, const QString& wanted)
        : FFeed(stream), FSurface(surface), FWanted(wanted) {}

    void Read() {
        while (!FFeed.Xml.atEnd()) {
            const auto token = FFeed.Next();
            if (FFeed.Xml.hasError())
                FFeed.Refuse(FFeed.Xml.errorString().toStdString());
            if (token == QXmlStreamReader::StartElement)
                Start();
            else if (token == QXmlStreamReader::Characters && FCollecting)
                FText += FFeed.Xml.text();
            else if (token == QXmlStreamReader::EndElement && End())
                return Finish();
        }
        if (!FFirstEmpty.isNull())
            throw ESurfaceReadError("Surface '" + FFirstEmpty.toStdString() +
                                    "' holds no triangles, nor does any other Surface");
        throw ESurfaceReadError(FWanted.isEmpty()
                                    ? "no Surface in the file"
                                    : "no Surface named '" + FWanted.toStdString() + "'");
    }

private:
    void Start() {
        const QXmlStreamReader& xml = FFeed.Xml;
        const QStringView name = xml.name();
        if (name == u"Metric" || name == u"Imperial") {
            FSurface.Units = UnitsCode(xml.attributes().value("linearUnit"));
        } else if (name == u"Surface" && !FInside) {
            const QString surfaceName = xml.attributes().value("name").toString();
            FInside = FWanted.isEmpty() || surfaceName == FWanted;
            if (FInside)
                FSurface.Name = surfaceName;
        } else if (FInside && (name == u"P" || name == u"F")) {
            FCollecting = true;
            FText.clear();
            FId = xml.attributes().value("id").toString();
            FInvisible = xml.attributes().value("i") == u"1";
        }
    }

    // True at the end of the chosen surface.
    bool End() {
        const QStringView name = FFeed.Xml.name();
        if (FInside && name == u"Surface") {
            if (!FWanted.isEmpty() || !FFaces.empty())
                return true;
            // The first Surface with triangles is the model: an empty one (a survey's points
            // alone, or a placeholder) is passed over.
            if (FFirstEmpty.isNull())
                FFirstEmpty = FSurface.Name.isNull() ? QString("") : FSurface.Name;
            FInside = false;
            FSurface.Name.clear();
            FSurface.Points.clear();
            FPositions.clear();
            return false;
        }
        if (FCollecting && name == u"P")
            AddPoint();
        else if (FCollecting && name == u"F" && !FInvisible)
            FFaces.push_back({IdsOf(Numbers(FText, FFeed)), FFeed.Xml.lineNumber()});
        if (name == u"P" || name == u"F")
            FCollecting = false;
        return false;
    }

    void AddPoint() {
        const std::vector<double> numbers = Numbers(FText, FFeed);
        if (numbers.size() != 3)
            FFeed.Refuse("a point needs northing, easting and elevation");
        int64_t id = static_cast<int64_t>(FSurface.Points.size()) + 1; // no id: its position
        if (!FId.isEmpty() && !ParseInteger(FId.toStdString(), id))
            FFeed.Refuse("a point id is not a whole number: '" + FId.toStdString() + "'");
        if (!FPositions.emplace(id, static_cast<uint32_t>(FSurface.Points.size())).second)
            FFeed.Refuse("point " + std::to_string(id) + " is defined twice");
        FSurface.Points.push_back({numbers[1], numbers[0], numbers[2]});
    }

    std::vector<int64_t> IdsOf(const std::vector<double>& numbers) const {
        std::vector<int64_t> ids;
        for (const double n : numbers) {
            if (!(std::abs(n) < 9e18) || n != std::floor(n))
                FFeed.Refuse("a face's point id is not a whole number");
            ids.push_back(static_cast<int64_t>(n));
        }
        return ids;
    }

    void Finish() {
        std::vector<uint32_t> corners;
        for (const TFaceIds& face : FFaces) {
            corners.clear();
            for (const int64_t id : face.Ids) {
                const auto found = FPositions.find(id);
                if (found == FPositions.end())
                    throw ESurfaceReadError(LinePlace(face.Line) + ": a face names point " +
                                            std::to_string(id) + ", which is not defined");
                corners.push_back(found->second);
            }
            FSurface.AddPolygon(corners, [&] { return LinePlace(face.Line); });
        }
    }

    TXmlFeed FFeed;
    TSurfaceData& FSurface;
    QString FWanted;
    bool FInside = false, FCollecting = false, FInvisible = false;
    QString FText, FId;
    QString FFirstEmpty; // the name of the first Surface passed over, null for none
    std::unordered_map<int64_t, uint32_t> FPositions;
    std::vector<TFaceIds> FFaces;
};
} // namespace

void ReadLandXml(TStream& stream, TSurfaceData& surface, const QString& surfaceName) {
    TLandXmlSurface(stream, surface, surfaceName).Read();
}

QString LandXmlSystemText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The element comes before the surfaces: the reading stops at them.
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("Surfaces"))
            break;
        if (xml.name() != QLatin1String("CoordinateSystem"))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (const QString epsg = attributes.value("epsgCode").toString().trimmed(); !epsg.isEmpty())
            return "EPSG:" + epsg;
        return attributes.value("ogcWktCode").toString().trimmed();
    }
    return {};
}

QStringList LandXmlSurfaceNames(const std::string& path) {
    QFile file(QString::fromStdString(path));
    QStringList names;
    if (!file.open(QIODevice::ReadOnly))
        return names;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("Surface"))
            names << xml.attributes().value("name").toString();
    return names;
}
