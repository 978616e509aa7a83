#include "ProfileWindow.h"
#include "Dialogs.h"
#include "TerrainDrawing.h"
#include "WindowPlaces.h"
#include "export/ProfileCsv.h"
#include "export/SavedFile.h"
#include "platform/Exceptions.h"

#include "platform/ErrorGuard.h"
#include "platform/NumberText.h"
#include <QFileInfo>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
const char CsvFilter[] = "CSV files (*.csv)";
constexpr int LeftMargin = 70, BottomMargin = 40, TopMargin = 12, RightMargin = 16;
const QColor CurveColour(150, 90, 30), GridColour(225, 225, 225);

QString Fixed(double value) {
    return FormatFixed(value, 3, SystemDecimalSeparator());
}
} // namespace

TProfilePlot::TProfilePlot(QWidget* parent) : QWidget(parent) {
    setObjectName("ProfilePlot");
    setMouseTracking(true);
    setMinimumSize(300, 180);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void TProfilePlot::SetProfile(std::vector<TProfilePoint> profile, double lineLength) {
    FProfile = std::move(profile);
    FLength = lineLength;
    double low = INFINITY, high = -INFINITY;
    for (const TProfilePoint& p : FProfile)
        if (std::isfinite(p.Value)) {
            low = std::min(low, p.Value);
            high = std::max(high, p.Value);
        }
    if (!(low <= high)) {
        low = 0;
        high = 1;
    }
    // A flat profile still gets a vertical scale, a metre or so either side.
    const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(low) * 0.01);
    FLow = low - margin;
    FHigh = high + margin;
    FMouseDistance.reset();
    update();
}

QString TProfilePlot::Note() const {
    if (!(FLength > 0))
        return "The line has no length: click two or more points, double click on the last.";
    for (const TProfilePoint& p : FProfile)
        if (std::isfinite(p.Value))
            return {};
    return "The line does not cross the model.";
}

QRectF TProfilePlot::PlotArea() const {
    return QRectF(LeftMargin, TopMargin, std::max(1, width() - LeftMargin - RightMargin),
                  std::max(1, height() - TopMargin - BottomMargin));
}

QPointF TProfilePlot::PixelOf(double distance, double value) const {
    const QRectF area = PlotArea();
    const double length = FLength > 0 ? FLength : 1;
    return {area.left() + distance / length * area.width(),
            area.bottom() - (value - FLow) / (FHigh - FLow) * area.height()};
}

double TProfilePlot::DistanceAt(double x) const {
    const QRectF area = PlotArea();
    return std::clamp((x - area.left()) / area.width(), 0.0, 1.0) * FLength;
}

void TProfilePlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF area = PlotArea();
    p.setPen(palette().color(QPalette::Text));
    const QString note = Note();
    if (!note.isEmpty()) {
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, note);
        return;
    }
    const QFontMetrics metrics = p.fontMetrics();
    // Round-number ticks on both axes, with their grid lines.
    for (double d : RoundTicks(0, FLength, std::max(2, int(area.width() / 90)))) {
        const double x = PixelOf(d, FLow).x();
        p.setPen(GridColour);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        p.setPen(palette().color(QPalette::Text));
        const QString label = LevelText(d);
        p.drawText(
            QPointF(x - metrics.horizontalAdvance(label) / 2.0, area.bottom() + metrics.height()),
            label);
    }
    for (double v : RoundTicks(FLow, FHigh, std::max(2, int(area.height() / 40)))) {
        const double y = PixelOf(0, v).y();
        p.setPen(GridColour);
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        p.setPen(palette().color(QPalette::Text));
        const QString label = LevelText(v);
        p.drawText(
            QPointF(area.left() - 6 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2.0),
            label);
    }
    p.drawRect(area);
    p.drawText(
        QRectF(area.left(), area.bottom() + metrics.height() + 2, area.width(), metrics.height()),
        Qt::AlignHCenter, "Distance");
    p.save();
    p.translate(12, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, -metrics.height(), area.height(), metrics.height() * 1.5),
               Qt::AlignHCenter, "Elevation");
    p.restore();
    // The exact profile: straight between breakpoints, broken where the line is off the mesh.
    p.setClipRect(area.adjusted(-1, -1, 1, 1));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(CurveColour, 1.5));
    for (size_t i = 0; i + 1 < FProfile.size(); ++i) {
        const TProfilePoint &a = FProfile[i], &b = FProfile[i + 1];
        if (!a.Triangle)
            continue;
        const double endValue = PlaneValue(*a.Triangle, b.Easting, b.Northing);
        if (std::isfinite(a.Value) && std::isfinite(endValue))
            p.drawLine(PixelOf(a.Distance, a.Value), PixelOf(b.Distance, endValue));
    }
    if (FMouseDistance) {
        const TProfilePoint at = ProfileAt(FProfile, *FMouseDistance);
        const double x = PixelOf(at.Distance, FLow).x();
        p.setPen(QPen(Qt::red, 1, Qt::DashLine));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        if (std::isfinite(at.Value)) {
            p.setBrush(Qt::red);
            p.drawEllipse(PixelOf(at.Distance, at.Value), 3, 3);
        }
    }
}

void TProfilePlot::mouseMoveEvent(QMouseEvent* event) {
    RunGuarded([&] {
        if (!Note().isEmpty())
            return;
        FMouseDistance = DistanceAt(event->position().x());
        update();
        if (OnHover)
            OnHover(ProfileAt(FProfile, *FMouseDistance));
    });
}

void TProfilePlot::leaveEvent(QEvent*) {
    RunGuarded([&] {
        FMouseDistance.reset();
        update();
        if (OnHover)
            OnHover(std::nullopt);
    });
}

TfrmProfile::TfrmProfile(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmProfile");
    setWindowTitle("Elevation profile");
    resize(640, 360);
    FPlot = new TProfilePlot(this);
    lblReadout = new QLabel(this);
    lblReadout->setObjectName("lblReadout");
    btnExport = new QPushButton("&Export CSV...", this);
    btnExport->setObjectName("btnExport");
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblReadout, 1);
    buttons->addWidget(btnExport);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FPlot, 1);
    layout->addLayout(buttons);
    connect(btnExport, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { btnExportClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    FPlot->OnHover = [this](std::optional<TProfilePoint> under) {
        ShowReadout(under);
        if (OnHover)
            OnHover(under ? std::optional(TPlanPoint{under->Easting, under->Northing})
                          : std::nullopt);
    };
    SaveDialog = [](QWidget* owner) {
        return AskSaveFileName(owner, "Export profile", "profile.csv", CsvFilter);
    };
}

void TfrmProfile::ShowProfile(std::vector<TProfilePoint> profile, double lineLength) {
    FPlot->SetProfile(std::move(profile), lineLength);
    btnExport->setEnabled(!FPlot->Profile().empty());
    ShowReadout(std::nullopt);
    ShowToolWindow(*this);
}

QString TfrmProfile::ReadoutText() const {
    return lblReadout->text();
}

void TfrmProfile::ShowReadout(const std::optional<TProfilePoint>& under) {
    if (!under) {
        lblReadout->setText(FPlot->Note().isEmpty() ? "Move the mouse over the plot." : QString());
        return;
    }
    lblReadout->setText(QString("Distance %1   Easting %2   Northing %3   Elevation %4")
                            .arg(Fixed(under->Distance), Fixed(under->Easting),
                                 Fixed(under->Northing),
                                 std::isfinite(under->Value) ? Fixed(under->Value) : "none"));
}

void TfrmProfile::btnExportClick() {
    // A name the dialog (or a test) gives without an extension is a CSV file.
    const QString fileName = WithFilterExtension(SaveDialog(this), CsvFilter);
    if (fileName.isEmpty())
        return;
    // CSV under another format's name would be taken for that format and fail to open there.
    if (QFileInfo(fileName).suffix().compare("csv", Qt::CaseInsensitive) != 0)
        throw Exception(QString("The profile is saved as CSV: %1 is not a .csv name.")
                            .arg(fileName)
                            .toStdString());
    SaveFile(fileName, [&](QIODevice& out) { WriteProfileCsv(FPlot->Profile(), out); });
}

void TfrmProfile::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    RunGuarded([&] {
        if (OnClose)
            OnClose();
    });
}
