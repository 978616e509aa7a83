// What the commands share: reading a model, reporting a failure, the JSON and the figures, the
// coordinate system and the formats of what they write.
#include "Run.h"
#include "build/SurveyLines.h"
#include "export/SavedFile.h"
#include "gis/GdalFiles.h"
#include "import/SurfaceReaders.h"
#include "platform/FileNames.h"
#include "platform/NumberText.h"
#include "platform/Streams.h"
#include "terrain/Profile.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <new>

namespace vrkinfo {
namespace {
void ReadModel(TVandrelTINModel& model, const QString& fileName, const QString& surfaceName) {
    ReadSurfaceFile(model, FileNameBytes(fileName).toStdString(), {surfaceName, {}});
}

int Worst(int a, int b) {
    auto rank = [](int status) {
        return status == ExitUnreadable ? 2 : status == ExitProblemsFound ? 1 : 0;
    };
    return rank(b) > rank(a) ? b : a;
}
} // namespace

QString Number(double value) {
    return FormatGeneral(value, 17, u'.');
}

// JSON has no NaN or infinity: such a number is null.
QJsonValue JsonNumber(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue();
}

TExtent ExtentOf(const TVandrelTINModel& model) {
    TExtent e{};
    model.Vertices().GetExtent(e.MinEasting, e.MinNorthing, e.MinValue, e.MaxEasting, e.MaxNorthing,
                               e.MaxValue);
    return e;
}

QJsonObject ExtentJson(const TExtent& e) {
    return {{"minEasting", JsonNumber(e.MinEasting)},   {"minNorthing", JsonNumber(e.MinNorthing)},
            {"minValue", JsonNumber(e.MinValue)},       {"maxEasting", JsonNumber(e.MaxEasting)},
            {"maxNorthing", JsonNumber(e.MaxNorthing)}, {"maxValue", JsonNumber(e.MaxValue)}};
}

std::optional<double> ParseCoordinate(const QString& word) {
    bool ok = false;
    const double value = word.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The line through the points, refused when it can have no profile.
std::vector<TPlanPoint> LineThrough(const TPoints& points) {
    std::vector<TPlanPoint> line;
    for (const auto& [e, n] : points)
        line.push_back({e, n});
    if (const QString problem = ProfileLineProblem(line); !problem.isEmpty())
        throw TUsageError{problem};
    return line;
}

// What went wrong with a file, for "vrkinfo: FILE: TEXT": the system's reason where there is
// one, else the program's message.
QString FileErrorText(const Exception& error) {
    std::string reason;
    if (const auto* open = dynamic_cast<const EFOpenError*>(&error))
        reason = open->Reason();
    else if (const auto* write = dynamic_cast<const EFWriteError*>(&error))
        reason = write->Reason();
    return QString::fromStdString(reason.empty() ? error.Message() : reason);
}

int TRun::GisFailed(const QString& output, const Exception& error) {
    QString text = FileErrorText(error);
    if (dynamic_cast<const EGdalWriteError*>(&error) && !FSystemFile.isEmpty())
        text += " (with the coordinate system of " + FSystemFile + ")";
    return Failed(output, text);
}

int TRun::Failed(const QString& fileName, const QString& text) {
    FLastError = text;
    FErr << "vrkinfo: " << fileName << ": " << text << '\n';
    return ExitUnreadable;
}

bool TRun::Read(TVandrelTINModel& model, const QString& fileName, bool other) {
    // The other surface is the one --other-surface names, else the one --surface names.
    const std::optional<QString>& name =
        other && FLine.OtherSurface ? FLine.OtherSurface : FLine.Surface;
    try {
        ReadModel(model, fileName, name.value_or(QString()));
        return true;
    } catch (const Exception& error) {
        Failed(fileName, FileErrorText(error));
    } catch (const std::bad_alloc&) {
        Failed(fileName, "Out of memory");
    }
    return false;
}

void TRun::WriteJson(const QJsonValue& value) {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    FOut << QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

int TRun::EachFile(const QStringList& files,
                   const std::function<int(const QString&, QJsonObject&)>& work) {
    int status = ExitDone;
    QJsonArray results;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (files.size() > 1 && !FLine.Json)
            FOut << (i > 0 ? "\n" : "") << "==> " << files[i] << " <==\n";
        FOut.flush();
        QJsonObject result{{"file", files[i]}};
        const int one = work(files[i], result);
        if (one == ExitUnreadable)
            result["error"] = FLastError;
        results.append(result);
        status = Worst(status, one);
    }
    if (FLine.Json)
        WriteJson(files.size() == 1 ? QJsonValue(results[0]) : QJsonValue(results));
    return status;
}

TModelFormat TRun::ModelFormatFor(const QString& output) {
    TModelFormat format;
    if (FLine.Format ? !ModelFormatFromName(*FLine.Format, format)
                     : !ModelFormatFromExtension(output, format))
        throw TUsageError{FLine.Format ? QString("unknown format '%1'").arg(*FLine.Format)
                                       : QString("cannot tell the format from '%1': name it with "
                                                 "--format")
                                             .arg(output)};
    return format;
}

int TRun::WriteModelFile(const TVandrelTINModel& model, TModelFormat format, const QString& output,
                         const std::optional<TCoordinateSystem>& system) {
    const std::optional<TSystemName> named = SystemNameOf(system);
    try {
        SaveFile(output, [&](QIODevice& out) {
            WriteModel(model, format, out, named ? &*named : nullptr);
        });
    } catch (const Exception& error) {
        return Failed(output, FileErrorText(error));
    }
    return ExitDone;
}

std::optional<TCoordinateSystem> TRun::SystemFor(const QString& file, const TTriangleMesh& model) {
    QString problem;
    double minE, minN, maxE, maxN;
    model.Vertices().GetFiniteExtent(minE, minN, maxE, maxN);
    const auto range = [&](const TCoordinateSystem& system) {
        return minE <= maxE ? system.RangeProblem(minE, minN, maxE, maxN) : QString();
    };
    if (FLine.Crs) {
        auto system = TCoordinateSystem::FromText(*FLine.Crs, problem);
        if (!system)
            throw TUsageError{problem};
        if (const QString outside = range(*system); !outside.isEmpty())
            throw TUsageError{"--crs " + *FLine.Crs + ": " + outside};
        return system;
    }
    QString source; // the .prj file beside the model, or a LandXML file's own
    auto system = TCoordinateSystem::OfModel(file, problem, source);
    if (system && problem.isEmpty())
        if (const QString outside = range(*system); !outside.isEmpty()) {
            problem = source + ": " + outside;
            system.reset();
        }
    if (!problem.isEmpty())
        FErr << "vrkinfo: " << problem << " (written without a coordinate system)\n";
    FSystemFile = system ? source : QString();
    return system;
}

void TRun::NoteNoSystem(const QString& output, TVectorFormat format,
                        const std::optional<TCoordinateSystem>& system) {
    if (format == TVectorFormat::GeoJson && !system)
        FErr << "vrkinfo: " << output
             << ": no coordinate system: the coordinates are written as they are, not as "
                "longitude and latitude\n";
}

TVectorFormat TRun::VectorFormatFor(const QString& output) {
    TVectorFormat format = TVectorFormat::GeoJson;
    const bool named = FLine.Format ? VectorFormatFromName(*FLine.Format, format)
                                    : QFileInfo(output).suffix().isEmpty() ||
                                          VectorFormatFromExtension(output, format);
    if (!named)
        throw TUsageError{
            FLine.Format ? QString("unknown format '%1': %2").arg(*FLine.Format, VectorFormatNames)
                         : QString("cannot tell the format from '%1': the formats are %2 (name one "
                                   "with --format)")
                               .arg(output, VectorFormatNames)};
    return format;
}

void TRun::WriteFigures(const QString& file, const std::vector<TFigure>& figures) {
    if (!FLine.Json) {
        for (const TFigure& figure : figures)
            FOut << figure.Name << '\t' << Number(figure.Value) << '\n';
        return;
    }
    QJsonObject json{{"file", file}};
    for (const TFigure& figure : figures)
        json[figure.Key] = JsonNumber(figure.Value);
    WriteJson(json);
}

bool TRun::ReadPolygon(TBoundary& boundary, const QString& fileName) {
    const std::string path = FileNameBytes(fileName).toStdString();
    try {
        boundary = ReadBoundaryPolygon(path, FLine.BoundaryWhere.value_or(QString()).toStdString());
        return true;
    } catch (const ESurfaceReadError& error) { // "PATH: reason"
        const std::string& message = error.Message();
        Failed(fileName, QString::fromStdString(message.rfind(path + ": ", 0) == 0
                                                    ? message.substr(path.size() + 2)
                                                    : message));
    } catch (const Exception& error) {
        Failed(fileName, FileErrorText(error));
    }
    return false;
}
} // namespace vrkinfo
