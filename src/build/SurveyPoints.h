#pragma once
// Survey points for building a surface: text files of a total station or a spreadsheet, and
// LAS point clouds (uncompressed, versions 1.0 to 1.4, point formats 0 to 10).
//
// Text: comma, tab, semicolon or space separated. A first line that names the columns (x,
// easting or e; y, northing or n; z, elevation, elev or h; in any case) says where they are;
// three numbers a line without one are easting, northing, elevation; anything else needs the
// column letters (P point, N northing, E easting, Z elevation, D description: PNEZD, PENZD...).
// A line that cannot be read is refused naming the file and the line.
#include "import/SurfaceData.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A text file whose columns the file does not say: the user must.
class EColumnsNeeded : public ESurfaceReadError {
    using ESurfaceReadError::ESurfaceReadError;
};

// The points of a text file; columns are the letters, empty to tell from the file.
std::vector<TSurfacePoint> ReadTextPoints(const std::string& path, const QString& columns);

// Whether the letters are a column order text points can be read by (one each of N, E and Z,
// with P and D at most once).
bool ColumnLettersValid(const QString& columns);

// The LAS classes of a text such as "2" or "2,3" (0 to 255); false when it names none such.
bool ClassesFromText(const QString& text, std::set<int>& classes);

// The points of a LAS file, only those of the classes given when there are any. A compressed
// (LAZ) file is refused, saying so.
std::vector<TSurfacePoint> ReadLasPoints(const std::string& path,
                                         const std::set<int>& classes = {});

// Whether the file is a LAS point cloud, by its first bytes.
bool IsLasFile(const std::string& path);
