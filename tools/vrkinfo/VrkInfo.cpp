#include "VrkInfo.h"
#include "inspect/HeaderRows.h"
#include "inspect/HealthCheck.h"
#include "model/Geometry.h"
#include "platform/Exceptions.h"
#include "platform/NumberText.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cmath>
#include <new>
#include <optional>
#include <variant>

namespace {
const char Usage[] = "usage: vrkinfo FILE\n"
                     "       vrkinfo header FILE\n"
                     "       vrkinfo extents FILE\n"
                     "       vrkinfo find FILE E N [E N ...]\n"
                     "       vrkinfo check FILE\n";

QString Number(double value) {
    return FormatGeneral(value, 17, u'.');
}

void ReadModel(TVandrelTINModel& model, const QString& fileName) {
    TFileStream stream(fileName.toStdString());
    model.ReadFromStream(stream);
}

struct TExtent {
    double MinEasting, MinNorthing, MinValue, MaxEasting, MaxNorthing, MaxValue;
};

TExtent ExtentOf(const TVandrelTINModel& model) {
    TExtent e{};
    model.Vertices().GetExtent(e.MinEasting, e.MinNorthing, e.MinValue, e.MaxEasting, e.MaxNorthing,
                               e.MaxValue);
    return e;
}

void PrintHeader(const TVandrelTINModel& model, QTextStream& out) {
    for (const THeaderRow& row : HeaderRows(model.Header, u'.'))
        out << row.Field << '\t' << row.Value << '\n';
}

void PrintExtents(const TVandrelTINModel& model, QTextStream& out) {
    const TExtent e = ExtentOf(model);
    out << QStringList{Number(e.MinEasting), Number(e.MinNorthing), Number(e.MinValue),
                       Number(e.MaxEasting), Number(e.MaxNorthing), Number(e.MaxValue)}
               .join('\t')
        << '\n';
}

void PrintFind(const TVandrelTINModel& model, const std::vector<std::pair<double, double>>& points,
               QTextStream& out) {
    for (const auto& [easting, northing] : points) {
        double value = NullValue;
        const TTriangle* triangle = model.FindTriangle(easting, northing, value);
        if (!triangle)
            out << "none\n";
        else
            out << triangle->Number << '\t'
                << (value == NullValue ? QString("null") : Number(value)) << '\n';
    }
}

// Writes each problem as a line of entity and problem text.
class TPrintedReport : public THealthReport {
public:
    explicit TPrintedReport(QTextStream& out) : FOut(out) {}
    void AddProblem(const QString& entity, const QString& problem, TTriangle*) override {
        FOut << entity << '\t' << problem << '\n';
    }

private:
    QTextStream& FOut;
};

// Only counts.
class TCountedReport : public THealthReport {
public:
    void AddProblem(const QString&, const QString&, TTriangle*) override {}
};

int PrintCheck(const TVandrelTINModel& model, QTextStream& out) {
    TPrintedReport report(out);
    const int problems = CheckModel(model, report);
    out << ProblemSummary(problems) << '\n';
    return problems == 0 ? ExitDone : ExitProblemsFound;
}

void PrintSummary(const TVandrelTINModel& model, const QString& fileName, QTextStream& out) {
    out << "File: " << fileName << '\n';
    out << "Model: " << model.InternalName << '\n';
    out << "Vertices: " << model.Vertices().Count() << '\n';
    out << "Triangles: " << model.Triangles().Count() << '\n';
    out << "Edge records: " << model.Edges.Count() << '\n';
    out << "Start points: " << model.StartPoints.Count() << '\n';
    if (model.Vertices().Count() > 0) {
        const TExtent e = ExtentOf(model);
        out << "Easting: " << Number(e.MinEasting) << " to " << Number(e.MaxEasting) << '\n';
        out << "Northing: " << Number(e.MinNorthing) << " to " << Number(e.MaxNorthing) << '\n';
        out << "Value: " << Number(e.MinValue) << " to " << Number(e.MaxValue) << '\n';
    }
    TCountedReport counted;
    out << "Health check: " << ProblemSummary(CheckModel(model, counted)) << '\n';
}

using TPoints = std::vector<std::pair<double, double>>;

// A coordinate as typed: a finite number in the C locale's notation.
std::optional<double> ParseCoordinate(const QString& word) {
    bool ok = false;
    const double value = word.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The points of "find", or the reason they cannot be read.
std::variant<TPoints, QString> ParsePoints(const QStringList& words) {
    if (words.isEmpty())
        return QString("find needs at least one point");
    if (words.size() % 2 != 0)
        return QString("find needs an easting and a northing for each point");
    TPoints points;
    for (qsizetype i = 0; i < words.size(); i += 2) {
        const auto easting = ParseCoordinate(words[i]);
        const auto northing = ParseCoordinate(words[i + 1]);
        if (!easting || !northing)
            return QString("not a number: '%1'").arg(easting ? words[i + 1] : words[i]);
        points.emplace_back(*easting, *northing);
    }
    return points;
}

int UsageError(QTextStream& err, const QString& reason = {}) {
    if (!reason.isEmpty())
        err << "vrkinfo: " << reason << '\n';
    err << Usage;
    return ExitUsage;
}
} // namespace

int RunVrkInfo(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty())
        return UsageError(err);
    const QString command = arguments.size() == 1 ? QString() : arguments[0];
    const QString fileName = arguments.size() == 1 ? arguments[0] : arguments[1];
    TPoints points;
    if (command == "find") {
        auto parsed = ParsePoints(arguments.mid(2));
        if (const QString* reason = std::get_if<QString>(&parsed))
            return UsageError(err, *reason);
        points = std::get<TPoints>(std::move(parsed));
    } else if (!((command == "header" || command == "extents" || command == "check") &&
                 arguments.size() == 2) &&
               !command.isEmpty()) {
        return UsageError(err);
    }

    TVandrelTINModel model;
    try {
        ReadModel(model, fileName);
    } catch (const Exception& error) {
        err << QString::fromStdString(error.Message()) << '\n';
        return ExitUnreadable;
    } catch (const std::bad_alloc&) {
        err << "Out of memory\n";
        return ExitUnreadable;
    }

    if (command == "header")
        PrintHeader(model, out);
    else if (command == "extents")
        PrintExtents(model, out);
    else if (command == "find")
        PrintFind(model, points, out);
    else if (command == "check")
        return PrintCheck(model, out);
    else
        PrintSummary(model, fileName, out);
    return ExitDone;
}
