#pragma once
// A model's coordinate system, as GIS programs name it: from an EPSG code ("EPSG:32616"), WKT
// or a PROJ string, or from the .prj file beside a model. Axis order is easting, northing (and
// longitude, latitude for a geographic system), whatever the authority's own order.
#include <QString>

#include <memory>
#include <optional>

class OGRSpatialReference;

class TCoordinateSystem {
public:
    // The system the text names, or the reason it names none.
    static std::optional<TCoordinateSystem> FromText(const QString& text, QString& problem);
    // The system in the .prj file beside the model (same name, .prj extension), if there is
    // one that can be read; problem says why one that is there cannot.
    static std::optional<TCoordinateSystem> BesideModel(const QString& modelPath, QString& problem);
    // The model file's system: the .prj file beside it, else a LandXML file's own
    // CoordinateSystem; source is the file it came from (empty: none).
    static std::optional<TCoordinateSystem> OfModel(const QString& modelPath, QString& problem,
                                                    QString& source);

    QString Name() const;
    // The system as WKT 1, as .prj files hold it (the ESRI dialect).
    QString Wkt() const;
    // The system as OGC's WKT 1, as LandXML's ogcWktCode holds it.
    QString OgcWkt() const;
    // Why coordinates over that extent cannot be in this system (eastings and northings given
    // a system of degrees), or an empty text.
    QString RangeProblem(double minX, double minY, double maxX, double maxY) const;
    // The EPSG code that names this system, if one does.
    std::optional<int> Epsg() const;
    bool IsGeographic() const;
    bool SameAs(const TCoordinateSystem& other) const;
    const OGRSpatialReference& Reference() const { return *FReference; }

private:
    explicit TCoordinateSystem(std::shared_ptr<OGRSpatialReference> reference)
        : FReference(std::move(reference)) {}
    std::shared_ptr<OGRSpatialReference> FReference;
};

struct TSystemName;
// The system as a written model names it (LandXML's CoordinateSystem); none without one.
std::optional<TSystemName> SystemNameOf(const std::optional<TCoordinateSystem>& system);

// The model path with its extension changed to .prj.
QString PrjPathBeside(const QString& modelPath);
