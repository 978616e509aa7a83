#include "ContourGeoJson.h"
#include "platform/NumberText.h"

#include <QIODevice>

void WriteContoursGeoJson(const std::vector<TContourLine>& lines, QIODevice& out,
                          bool withElevation) {
    out.write("{\"type\":\"FeatureCollection\",\"features\":[");
    QByteArray text;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TContourLine& line = lines[i];
        text = i == 0 ? "\n" : ",\n";
        text += "{\"type\":\"Feature\",\"properties\":{\"level\":" +
                FormatShortest(line.Level).toLatin1() +
                ",\"index\":" + (line.Index ? "true" : "false") +
                "},\"geometry\":{\"type\":\"LineString\",\"coordinates\":[";
        for (size_t k = 0; k < line.Points.size(); ++k) {
            if (k > 0)
                text += ',';
            text += '[' + FormatShortest(line.Points[k].X).toLatin1() + ',' +
                    FormatShortest(line.Points[k].Y).toLatin1();
            if (withElevation)
                text += ',' + FormatShortest(line.Level).toLatin1();
            text += ']';
        }
        text += "]}}";
        out.write(text);
    }
    out.write("\n]}\n");
}
