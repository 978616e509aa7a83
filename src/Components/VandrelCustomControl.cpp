#include "VandrelCustomControl.h"

#include <QScrollBar>

TVandrelCustomControl::TVandrelCustomControl(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    SetBorderStyle(bsSingle);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TVandrelCustomControl::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    setFrameStyle(style == bsSingle ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    setLineWidth(1);
}

void TVandrelCustomControl::SetScrollBars(TScrollStyle style) {
    if (style == FScrollBars)
        return;
    FScrollBars = style;
    const bool horizontal = style == ssHorizontal || style == ssBoth;
    const bool vertical = style == ssVertical || style == ssBoth;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

int TVandrelCustomControl::HorizontalPosition() const {
    return horizontalScrollBar()->value();
}

int TVandrelCustomControl::VerticalPosition() const {
    return verticalScrollBar()->value();
}

void TVandrelCustomControl::SetScrollRange(Qt::Orientation bar, int minimum, int maximum) {
    QScrollBar* scrollBar = bar == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    if (bar == Qt::Horizontal)
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    else
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollBar->setRange(minimum, maximum);
    scrollBar->setEnabled(maximum > minimum);
}
