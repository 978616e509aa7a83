#include "VolumeReport.h"
#include "platform/NumberText.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString UnitOf(const TVolumeReport& report, const TFigure& figure) {
    return report.Unit + (figure.UnitPower == 2 ? "²" : figure.UnitPower == 3 ? "³" : "");
}

QString CsvField(const QString& text) {
    QString quoted = text;
    return '"' + quoted.replace('"', "\"\"") + '"';
}

std::vector<TFigure> FiguresOf(const TVolumeReport& report) {
    std::vector<TFigure> figures = VolumeFigures(report.Volumes, report.Tolerance > 0);
    if (report.Tolerance > 0)
        figures.push_back({"tolerance", "tolerance", report.Tolerance, 1});
    return figures;
}
} // namespace

QString VolumeReportText(const TVolumeReport& report) {
    QString text = report.Model + " against " + report.Against + '\n';
    for (const TFigure& figure : FiguresOf(report))
        text += QString("%1: %2 %3\n")
                    .arg(figure.Name, FormatFixed(figure.Value, 3, SystemDecimalSeparator()),
                         UnitOf(report, figure));
    if (report.Tolerance > 0)
        text += "The cut and fill areas are where the surfaces differ by more than the "
                "tolerance; the volumes are over the whole area.\n";
    return text;
}

void WriteVolumeCsv(const TVolumeReport& report, QIODevice& out) {
    QString text = "quantity,value,unit\n";
    text += "model," + CsvField(report.Model) + ",\n";
    text += "against," + CsvField(report.Against) + ",\n";
    for (const TFigure& figure : FiguresOf(report))
        text += QString("%1,%2,%3\n")
                    .arg(figure.Name, FormatShortest(figure.Value), UnitOf(report, figure));
    out.write(text.toUtf8());
}

void WriteVolumeJson(const TVolumeReport& report, QIODevice& out) {
    QJsonObject json{{"model", report.Model}, {"against", report.Against}, {"unit", report.Unit}};
    for (const TFigure& figure : FiguresOf(report))
        json[figure.Key] = figure.Value;
    out.write(QJsonDocument(json).toJson(QJsonDocument::Indented));
}
