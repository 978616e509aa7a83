#include "CoordinateSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cpl_error.h>
#include <ogr_spatialref.h>

namespace {
// GDAL reports errors through a handler of its own; the last message is what the user reads.
QString LastGdalError() {
    const QString message = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return message.isEmpty() ? QString("not a coordinate system") : message;
}
} // namespace

std::optional<TCoordinateSystem> TCoordinateSystem::FromText(const QString& text,
                                                             QString& problem) {
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
        problem = QString("'%1' is not a coordinate system: %2")
                      .arg(text.left(60).trimmed(), LastGdalError());
        return std::nullopt;
    }
    reference->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return TCoordinateSystem(std::move(reference));
}

QString PrjPathBeside(const QString& modelPath) {
    const QFileInfo model(modelPath);
    return model.dir().filePath(model.completeBaseName() + ".prj");
}

std::optional<TCoordinateSystem> TCoordinateSystem::BesideModel(const QString& modelPath,
                                                                QString& problem) {
    QFile prj(PrjPathBeside(modelPath));
    if (!prj.exists())
        return std::nullopt;
    if (!prj.open(QIODevice::ReadOnly)) {
        problem = prj.fileName() + ": " + prj.errorString();
        return std::nullopt;
    }
    const QByteArray text = prj.read(1 << 20);
    auto system = FromText(QString::fromUtf8(text), problem);
    if (!system)
        problem = prj.fileName() + ": " + problem;
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
        text = nullptr;
        FReference->exportToWkt(&text);
    }
    const QString wkt = text ? QString::fromUtf8(text) : QString();
    CPLFree(text);
    return wkt;
}

std::optional<int> TCoordinateSystem::Epsg() const {
    // Named by its authority, or else the EPSG system it matches (a .prj's WKT names none).
    const char* authority = FReference->GetAuthorityName(nullptr);
    std::unique_ptr<OGRSpatialReference, void (*)(OGRSpatialReference*)> match(
        nullptr, [](OGRSpatialReference* s) { OGRSpatialReference::DestroySpatialReference(s); });
    const OGRSpatialReference* named = FReference.get();
    if (!authority || QString(authority) != "EPSG") {
        match.reset(FReference->FindBestMatch(90, "EPSG"));
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
