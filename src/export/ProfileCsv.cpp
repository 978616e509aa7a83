#include "ProfileCsv.h"
#include "platform/NumberText.h"

#include <QIODevice>
#include <cmath>

void WriteProfileCsv(const std::vector<TProfilePoint>& profile, QIODevice& out) {
    out.write("distance,easting,northing,elevation,triangle\n");
    for (const TProfilePoint& p : profile) {
        const QString row = FormatShortest(p.Distance) + ',' + FormatShortest(p.Easting) + ',' +
                            FormatShortest(p.Northing) + ',' +
                            (std::isnan(p.Value) ? QString() : FormatShortest(p.Value)) + ',' +
                            (p.Triangle ? QString::number(p.Triangle->Number) : QString()) + '\n';
        out.write(row.toLatin1());
    }
}
