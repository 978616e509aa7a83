#include "VolumeReport.h"
#include "compare/Boundary.h"
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

QString BoundaryParticulars(const TBoundary& boundary, const QString& file, const QString& unit) {
    size_t corners = 0;
    for (const auto& ring : boundary.Rings)
        corners += ring.size();
    const QString text =
        QString("plan area %1 %2², %3 vertices")
            .arg(FormatFixed(PlanArea(boundary), 3, SystemDecimalSeparator()), unit)
            .arg(corners);
    return file.isEmpty() ? text : file + ": " + text;
}

std::vector<std::pair<QString, QString>> VolumeReportParticulars(const TVolumeReport& report) {
    std::vector<std::pair<QString, QString>> rows;
    auto add = [&](const char* name, const QString& value) {
        if (!value.isEmpty())
            rows.emplace_back(name, value);
    };
    add("created", report.Created);
    add("program", report.Program);
    add("model", report.Model);
    add("model file", report.ModelFile);
    add("against", report.Against);
    add("against file", report.AgainstFile);
    add("coordinate system", report.System);
    add("boundary", report.Boundary.isEmpty() ? QString("whole overlap") : report.Boundary);
    add("tolerance", report.Tolerance > 0 ? FormatShortest(report.Tolerance) + ' ' + report.Unit
                                          : QString("none"));
    add("convention", "d = other - model; fill where d > 0, cut where d < 0; net = fill - cut");
    add("volumes", "exact over the whole area compared");
    add("unit", report.Unit);
    return rows;
}

void WriteVolumeCsv(const TVolumeReport& report, QIODevice& out) {
    QString text = "quantity,value,unit\n";
    text += "model," + CsvField(report.Model) + ",\n";
    text += "against," + CsvField(report.Against) + ",\n";
    if (!report.Created.isEmpty()) // a full report: its particulars too
        for (const auto& [name, value] : VolumeReportParticulars(report))
            if (name != "model" && name != "against")
                text += name + ',' + CsvField(value) + ",\n";
    for (const TFigure& figure : FiguresOf(report))
        text += QString("%1,%2,%3\n")
                    .arg(figure.Name, FormatShortest(figure.Value), UnitOf(report, figure));
    out.write(text.toUtf8());
}

void WriteVolumeJson(const TVolumeReport& report, QIODevice& out) {
    QJsonObject json{{"model", report.Model}, {"against", report.Against}, {"unit", report.Unit}};
    if (!report.Created.isEmpty()) // a full report: its particulars too
        for (const auto& [name, value] : VolumeReportParticulars(report))
            json[QString(name).replace(' ', '_')] = value;
    for (const TFigure& figure : FiguresOf(report))
        json[figure.Key] = figure.Value;
    out.write(QJsonDocument(json).toJson(QJsonDocument::Indented));
}

QString VolumeReportHtml(const TVolumeReport& report) {
    QString html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Volume report"
                   "</title></head>\n<body>\n<h1>Volume report</h1>\n<h2>" +
                   (report.Model + " against " + report.Against).toHtmlEscaped() +
                   "</h2>\n<table>\n";
    for (const auto& [name, value] : VolumeReportParticulars(report))
        html += "<tr><th align=\"left\">" + name.toHtmlEscaped() + "</th><td>" +
                value.toHtmlEscaped() + "</td></tr>\n";
    html += "</table>\n<h2>Figures</h2>\n<table>\n";
    for (const TFigure& figure : FiguresOf(report))
        html += QString("<tr><th align=\"left\">%1</th><td align=\"right\">%2</td><td>%3</td>"
                        "</tr>\n")
                    .arg(QString(figure.Name).toHtmlEscaped(),
                         FormatFixed(figure.Value, 3, SystemDecimalSeparator()),
                         UnitOf(report, figure).toHtmlEscaped());
    return html + "</table>\n</body></html>\n";
}

void WriteVolumeHtml(const TVolumeReport& report, QIODevice& out) {
    out.write(VolumeReportHtml(report).toUtf8());
}
