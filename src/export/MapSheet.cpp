#include "MapSheet.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {
// The sheet's bands, in millimetres: the title above the map, the tick labels on every side of
// its frame, and the footer under it.
constexpr double TitleBand = 12, LabelBand = 6, FooterBand = 18, SmallestMap = 20;

// k times step times ten to the power, rounded once: ticks of 0.1 land on 0.3, not near it.
double TickValue(double k, double step, int power) {
    return power < 0 ? k * step / std::pow(10.0, -power) : k * step * std::pow(10.0, power);
}
} // namespace

double MetresPerUnit(int coordinateUnits) {
    switch (coordinateUnits) {
    case 2:
        return 0.3048;
    case 3:
        return 1200.0 / 3937.0;
    default:
        return 1;
    }
}

double RoundScaleUp(double scale) {
    if (!(scale > 0) || !std::isfinite(scale))
        return 0;
    int power = int(std::floor(std::log10(scale)));
    if (TickValue(1, 1, power) > scale) // log10 rounded up just under a power of ten
        --power;
    for (const double step : {1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 7.5})
        if (TickValue(1, step, power) >= scale)
            return TickValue(1, step, power);
    return TickValue(1, 10, power);
}

std::optional<double> ParseScale(const QString& text) {
    QString number = text;
    number.remove(QRegularExpression("\\s")); // "1 : 2 500"
    if (number.startsWith("1:"))
        number = number.mid(2);
    // Thousands separators as people type them: "1:2,500", "1:2.500", "1:2'500".
    number.remove(QRegularExpression("[,.'](?=\\d{3}(\\D|$))"));
    if (number.isEmpty() ||
        !std::all_of(number.begin(), number.end(), [](QChar c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const double scale = number.toDouble();
    if (!(scale > 0) || !std::isfinite(scale))
        return std::nullopt;
    return scale;
}

std::vector<double> FrameTicks(double from, double to, int most) {
    const double spacing = (to - from) / most;
    if (!(to > from) || !std::isfinite(from) || !std::isfinite(to) || most < 1 || !(spacing > 0) ||
        !std::isfinite(spacing))
        return {};
    const int power = int(std::floor(std::log10(spacing)));
    for (int p = power; p <= power + 1; ++p)
        for (const double step : {1.0, 2.0, 5.0}) {
            const double size = TickValue(1, step, p);
            const double first = std::ceil(from / size), last = std::floor(to / size);
            if (!(last - first + 1 <= most))
                continue;
            // Counted, not stepped: far from zero, first + 1 may round back to first, and a tick
            // that rounds onto the one before is left out.
            std::vector<double> ticks;
            for (int n = 0; n <= int(last - first); ++n)
                if (const double tick = TickValue(first + n, step, p);
                    ticks.empty() || tick != ticks.back())
                    ticks.push_back(tick);
            return ticks;
        }
    return {};
}

std::optional<TSheetPlan> PlanSheet(const QSizeF& page, const TGroundRect& view, double scale,
                                    double metresPerUnit) {
    TSheetPlan plan;
    plan.Title = QRectF(0, 0, page.width(), TitleBand);
    plan.Map = QRectF(QPointF(LabelBand, TitleBand + LabelBand),
                      QPointF(page.width() - LabelBand, page.height() - FooterBand - LabelBand));
    plan.Footer = QRectF(0, page.height() - FooterBand, page.width(), FooterBand);
    if (plan.Map.width() < SmallestMap || plan.Map.height() < SmallestMap)
        return std::nullopt;
    if (!(view.Width > 0) || !(view.Height > 0) || !std::isfinite(view.Width) ||
        !std::isfinite(view.Height) || !(metresPerUnit > 0))
        return std::nullopt;
    // Millimetres of paper for a ground unit, at 1:1.
    const double paperPerUnit = metresPerUnit * 1000;
    plan.Scale = scale > 0 ? scale
                           : RoundScaleUp(std::max(view.Width * paperPerUnit / plan.Map.width(),
                                                   view.Height * paperPerUnit / plan.Map.height()));
    if (!(plan.Scale > 0) || !std::isfinite(plan.Scale))
        return std::nullopt;
    plan.Ground.Width = plan.Map.width() * plan.Scale / paperPerUnit;
    plan.Ground.Height = plan.Map.height() * plan.Scale / paperPerUnit;
    plan.Ground.Left = view.Left + (view.Width - plan.Ground.Width) / 2;
    plan.Ground.Bottom = view.Bottom + (view.Height - plan.Ground.Height) / 2;
    if (!std::isfinite(plan.Ground.Left + plan.Ground.Width + plan.Ground.Bottom +
                       plan.Ground.Height))
        return std::nullopt; // a scale so large the ground overflows
    // About one tick every 30 millimetres along each side.
    plan.Eastings = FrameTicks(plan.Ground.Left, plan.Ground.Left + plan.Ground.Width,
                               std::max(2, int(plan.Map.width() / 30)));
    plan.Northings = FrameTicks(plan.Ground.Bottom, plan.Ground.Bottom + plan.Ground.Height,
                                std::max(2, int(plan.Map.height() / 30)));
    return plan;
}
