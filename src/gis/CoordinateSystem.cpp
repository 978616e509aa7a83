#include "CoordinateSystem.h"
#include "import/SurfaceReaders.h"

#include "export/ModelWriters.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cpl_error.h>
#include <ogr_spatialref.h>

namespace {
// GDAL reports errors through a handler of its own; the last message is what the user reads.
QString LastGdalError() {
    const QString message = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return message.isEmpty() ? QString("not a coordinate system") : message;
}

// The text with its control characters (NUL bytes of a damaged file, say) as spaces, fit to
// be quoted in a message.
QString Printable(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return text;
}
// The first megabyte of a regular file, or the reason it cannot be read. A pipe or a device
// would be waited on for ever: only a regular file is read.
std::optional<QByteArray> ReadSystemFile(const QString& fileName, QString& problem) {
    const QByteArray path = FileNameBytes(fileName);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        problem = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = "not a regular file";
        return std::nullopt;
    }
    const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        problem = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    QByteArray text(1 << 20, Qt::Uninitialized);
    const ssize_t length = ::read(descriptor, text.data(), size_t(text.size()));
    const int error = errno;
    ::close(descriptor);
    if (length < 0) {
        problem = QString::fromLocal8Bit(std::strerror(error));
        return std::nullopt;
    }
    text.truncate(length);
    return text;
}
} // namespace

std::optional<TCoordinateSystem> TCoordinateSystem::FromText(const QString& text,
                                                             QString& problem) {
    // A .prj file named instead of the text: its text. GDAL itself is kept from the disk.
    if (const QString name = text.trimmed(); name.endsWith(".prj", Qt::CaseInsensitive)) {
        const auto contents = ReadSystemFile(name, problem);
        if (!contents) {
            problem = name + ": " + problem;
            return std::nullopt;
        }
        auto system = FromText(QString::fromUtf8(*contents), problem);
        if (!system)
            problem = name + ": " + problem;
        return system;
    }
    const QByteArray bytes = text.trimmed().toUtf8();
    if (bytes.isEmpty()) {
        problem = "no coordinate system given";
        return std::nullopt;
    }
    auto reference = std::make_shared<OGRSpatialReference>();
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const OGRErr result = reference->SetFromUserInput(
        bytes.constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS);
    CPLPopErrorHandler();
    if (result != OGRERR_NONE || reference->IsEmpty()) {
        const QString quoted = Printable(text.left(60)).simplified();
        problem = quoted.isEmpty()
                      ? QString("not a coordinate system: %1").arg(LastGdalError())
                      : QString("'%1' is not a coordinate system: %2").arg(quoted, LastGdalError());
        return std::nullopt;
    }
    reference->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return TCoordinateSystem(std::move(reference));
}

std::optional<TSystemName> SystemNameOf(const std::optional<TCoordinateSystem>& system) {
    if (!system)
        return std::nullopt;
    return TSystemName{system->Name(), system->Epsg().value_or(0), system->OgcWkt()};
}

QString PrjPathBeside(const QString& modelPath) {
    const QFileInfo model(modelPath);
    return model.dir().filePath(model.completeBaseName() + ".prj");
}

std::optional<TCoordinateSystem> TCoordinateSystem::BesideModel(const QString& modelPath,
                                                                QString& problem) {
    const QString prj = PrjPathBeside(modelPath);
    if (!FileNameExists(prj))
        return std::nullopt;
    std::optional<TCoordinateSystem> system;
    if (const auto text = ReadSystemFile(prj, problem))
        system = FromText(QString::fromUtf8(*text), problem);
    if (!system)
        problem = prj + ": " + problem;
    return system;
}

std::optional<TCoordinateSystem> TCoordinateSystem::OfModel(const QString& modelPath,
                                                            QString& problem, QString& source) {
    source.clear();
    if (FileNameExists(PrjPathBeside(modelPath))) {
        source = PrjPathBeside(modelPath);
        return BesideModel(modelPath, problem);
    }
    if (SurfaceFormatOfName(modelPath) != TSurfaceFormat::LandXml)
        return std::nullopt;
    const QString text = LandXmlSystemText(FileNameBytes(modelPath).toStdString());
    if (text.isEmpty())
        return std::nullopt;
    source = modelPath;
    std::optional<TCoordinateSystem> system = FromText(text, problem);
    if (!system)
        problem = modelPath + ": its CoordinateSystem: " + problem;
    return system;
}

QString TCoordinateSystem::Name() const {
    const char* name = FReference->GetName();
    return name ? QString::fromUtf8(name) : QString("unnamed");
}

QString TCoordinateSystem::Wkt() const {
    char* text = nullptr;
    const char* options[] = {"FORMAT=WKT1_ESRI", nullptr};
    if (FReference->exportToWkt(&text, options) != OGRERR_NONE || !text) {
        CPLFree(text);
        return OgcWkt();
    }
    const QString wkt = QString::fromUtf8(text);
    CPLFree(text);
    return wkt;
}

QString TCoordinateSystem::OgcWkt() const {
    char* text = nullptr;
    FReference->exportToWkt(&text);
    const QString wkt = text ? QString::fromUtf8(text) : QString();
    CPLFree(text);
    return wkt;
}

QString TCoordinateSystem::RangeProblem(double minX, double minY, double maxX, double maxY) const {
    // Eastings and northings taken for degrees would be turned into nothing, silently.
    if (!IsGeographic() || (minX >= -360 && maxX <= 360 && minY >= -90 && maxY <= 90))
        return {};
    return QString("the coordinates (%1 to %2, %3 to %4) are not longitudes and latitudes, as %5 "
                   "has them")
        .arg(minX, 0, 'g', 10)
        .arg(maxX, 0, 'g', 10)
        .arg(minY, 0, 'g', 10)
        .arg(maxY, 0, 'g', 10)
        .arg(Name());
}

std::optional<int> TCoordinateSystem::Epsg() const {
    // Named by its authority, or else the EPSG system it matches (a .prj's WKT names none).
    const char* authority = FReference->GetAuthorityName(nullptr);
    std::unique_ptr<OGRSpatialReference, void (*)(OGRSpatialReference*)> match(
        nullptr, [](OGRSpatialReference* s) { OGRSpatialReference::DestroySpatialReference(s); });
    const OGRSpatialReference* named = FReference.get();
    if (!authority || QString(authority) != "EPSG") {
        // 70: the same definition under another name, as a PROJ string of a UTM zone is.
        match.reset(FReference->FindBestMatch(70, "EPSG"));
        if (!match)
            return std::nullopt;
        named = match.get();
        authority = named->GetAuthorityName(nullptr);
    }
    const char* code = named->GetAuthorityCode(nullptr);
    if (!authority || QString(authority) != "EPSG" || !code)
        return std::nullopt;
    bool ok = false;
    const int number = QString(code).toInt(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

bool TCoordinateSystem::IsGeographic() const {
    return FReference->IsGeographic();
}

bool TCoordinateSystem::SameAs(const TCoordinateSystem& other) const {
    return FReference->IsSame(other.FReference.get());
}
