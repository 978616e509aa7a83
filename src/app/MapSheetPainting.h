#pragma once
// Paints a planned map sheet on a page: the title, the map in its frame with the coordinate
// ticks and their values, and in the footer the scale, a scale bar with its unit, the notes (the
// coordinate system, the date, the program) and a north arrow.
#include "export/MapSheet.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;

struct TSheetTexts {
    QString Title;
    QString Unit;      // of the ground ("m", "ft")
    QStringList Notes; // one line each
};

// Draws the map of ground fitted to rect (device pixels) with painter.
using TDrawSheetMap =
    std::function<void(QPainter& painter, const QRect& rect, const TGroundRect& ground)>;

// The page's printable area starts at the painter's origin; dpi is the device's pixels an inch.
void PaintMapSheet(QPainter& painter, double dpi, const TSheetPlan& plan, double metresPerUnit,
                   const TSheetTexts& texts, const TDrawSheetMap& drawMap);
