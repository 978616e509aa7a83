#include "MapView.h"
#include "PrintLayout.h"
#include "platform/ErrorGuard.h"
#include "platform/Exceptions.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

// Resources of a static library are registered by hand.
static void InitComponentResources() {
    Q_INIT_RESOURCE(components);
}

namespace {
// The open-hand cursor of pan mode, from the program's resources; its hot spot is (2, 2).
// Made when needed rather than kept: a cursor must not outlive the application.
QCursor PanHandCursor() {
    InitComponentResources();
    return QCursor(QBitmap(":/cursors/PanHand.xbm"), QBitmap(":/cursors/PanHandMask.xbm"), 2, 2);
}

TScrollCode CodeFor(int action, bool sliderDown) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return TScrollCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return TScrollCode::LineDown;
    case QAbstractSlider::SliderPageStepSub:
        return TScrollCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return TScrollCode::PageDown;
    case QAbstractSlider::SliderToMinimum:
        return TScrollCode::Top;
    case QAbstractSlider::SliderToMaximum:
        return TScrollCode::Bottom;
    case QAbstractSlider::SliderMove:
        // With tracking off a move arrives while dragging (ignored) and once at the release.
        return sliderDown ? TScrollCode::Other : TScrollCode::ThumbPosition;
    default:
        return TScrollCode::Other;
    }
}

bool LeftButtonAlone(const QMouseEvent* event) {
    return event->buttons() == Qt::LeftButton &&
           !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
}

bool KeysOrButtonsHeld(const QMouseEvent* event) {
    return event->buttons() != Qt::NoButton ||
           (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
}
} // namespace

TMapView::TMapView(QWidget* parent) : TVandrelCustomControl(parent) {
    FExactRender = new QTimer(this);
    FExactRender->setSingleShot(true);
    connect(FExactRender, &QTimer::timeout, this, [this] { RunGuarded([&] { Repaint(); }); });
    FOwnCanvas = std::make_unique<TImageCanvas>(FImage);
    FDrawCanvas = FOwnCanvas.get();
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setTracking(false);
        const Qt::Orientation orientation = bar->orientation();
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, orientation](int action) { Scrolled(orientation, action); });
        connect(bar, &QAbstractSlider::valueChanged, this,
                [this, orientation](int value) { BarMoved(orientation, value); });
    }
}

TMapView::~TMapView() = default;

void TMapView::SetYAspect(double value) {
    FState.StoreYAspect(value);
    SetView(false, FState.ViewLeft, FState.ViewBottom, FState.Zoom);
}

void TMapView::SetOptions(TMapViewOptions options) {
    const TMapViewOptions overlays = moShowScale | moShowAspect;
    const bool repaint = (options & overlays) != (FOptions & overlays);
    FOptions = options;
    if (!(options & moMouseZoom)) {
        FMouseMode = TMapMouseMode::mmNone;
        viewport()->unsetCursor();
    }
    if (repaint)
        Repaint();
}

void TMapView::SetColor(TColor color) {
    FColor = color;
}

void TMapView::SetMouseMode(TMapMouseMode mode) {
    if (!(FOptions & moMouseZoom))
        return;
    FMouseMode = mode;
    if (mode == TMapMouseMode::mmPan)
        viewport()->setCursor(PanHandCursor());
    else if (mode == TMapMouseMode::mmProfile)
        viewport()->setCursor(Qt::CrossCursor);
    else
        viewport()->unsetCursor();
}

void TMapView::SetExtents(double minX, double maxX, double minY, double maxY) {
    FState.SetExtents(minX, maxX, minY, maxY);
}

void TMapView::SetView(bool push, double x, double y, double zoom) {
    PlaceView(push, x, y, zoom);
    Repaint();
    ViewChanged();
}

void TMapView::PlaceView(bool push, double x, double y, double zoom) {
    if (push)
        FState.PushHistory();
    FState.PlaceView(x, y, zoom);
    ShowScrollPositions();
}

void TMapView::CenterView(bool push, double cx, double cy, double zoom) {
    const THistoryEntry view = FState.CentredView(cx, cy, zoom);
    SetView(push, view.Left, view.Bottom, view.Zoom);
}

void TMapView::SetZoom(double zoom) {
    CenterView(true, FState.ViewLeft + FState.ViewWidth / 2,
               FState.ViewBottom + FState.ViewHeight / 2, zoom);
}

void TMapView::ZoomToRect(bool push, double minX, double maxX, double minY, double maxY) {
    if (const auto view = FState.RectView(minX, maxX, minY, maxY))
        SetView(push, view->Left, view->Bottom, view->Zoom);
}

bool TMapView::ZoomPrevious() {
    const auto entry = FState.PopHistory();
    if (!entry)
        return false;
    SetView(false, entry->Left, entry->Bottom, entry->Zoom);
    return true;
}

bool TMapView::DrawCross(double x, double y) {
    if (!FState.CrossVisible(x, y))
        return false;
    const int px = FState.WorldToPixelX(x), py = FState.WorldToPixelY(y);
    const int hx = FDrawCanvas->PixelsPerInchX() * FState.CrossSize / 192;
    const int hy = FDrawCanvas->PixelsPerInchY() * FState.CrossSize / 192;
    FDrawCanvas->Segment(px - hx, py, px + hx + 1, py);
    FDrawCanvas->Segment(px, py - hy, px, py + hy + 1);
    return true;
}

void TMapView::ViewChanged() {
    if (OnViewChanged)
        OnViewChanged(this);
}

void TMapView::ShowScrollPositions() {
    // The thumb's size shows how much of the frame is visible; the steps are the view's own.
    const int page = std::max(1, RoundToInt(FState.PageStep()));
    const TBarsUpdate ours(*this);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        bar->setPageStep(page);
    horizontalScrollBar()->setValue(RoundToInt(FState.HPos));
    verticalScrollBar()->setValue(RoundToInt(FState.VPos));
}

void TMapView::SetViewInMotion(bool push, double x, double y, double zoom) {
    if (FRenderMilliseconds <= FrameMilliseconds)
        return SetView(push, x, y, zoom);
    PlaceView(push, x, y, zoom);
    FState.RebuildView(); // the mouse and the overlays use the new view at once
    FExactRender->start(MotionPauseMilliseconds);
    viewport()->update();
    ViewChanged();
}

bool TMapView::ShowsMovedImage() const {
    return FExactRender->isActive();
}

QRectF TMapView::RenderedRectNow() const {
    const double sx = FState.ClientWidth / FState.ViewWidth;
    const double sy = FState.ClientHeight / FState.ViewHeight;
    return QRectF((FRenderedLeft - FState.ViewLeft) * sx,
                  (FState.ViewTop - (FRenderedBottom + FRenderedHeight)) * sy, FRenderedWidth * sx,
                  FRenderedHeight * sy);
}

void TMapView::Render() {
    QElapsedTimer timer;
    timer.start();
    FExactRender->stop();
    const QSize client = viewport()->size();
    if (client.width() != FState.ClientWidth || client.height() != FState.ClientHeight)
        Refit(); // the client area changed without a resize reaching the view
    // The image has the screen's own pixels: on a high-density screen there are more of them
    // than of the client area's, and markers and overlays scale with the pixels per inch.
    const double ratio = DeviceRatio();
    const QSize size = ImageSize();
    FImage.setDevicePixelRatio(1); // drawn in image pixels
    if (FImage.size() != size)
        FImage = NewImage(size.width(), size.height(), QImage::Format_RGB32);
    const double dotsPerMeter = 39.3700787;
    FImage.setDotsPerMeterX(qRound(logicalDpiX() * ratio * dotsPerMeter));
    FImage.setDotsPerMeterY(qRound(logicalDpiY() * ratio * dotsPerMeter));
    FImage.fill(ToQColor(FColor));
    FState.RebuildView();
    FOwnCanvas->Font = font();
    DrawContents(*FOwnCanvas, {0, 0, size.width(), size.height()});
    FImage.setDevicePixelRatio(ratio);
    // The mouse speaks in the client area's pixels.
    FState.DrawRect = ClientRect();
    FRenderedLeft = FState.ViewLeft;
    FRenderedBottom = FState.ViewBottom;
    FRenderedWidth = FState.ViewWidth;
    FRenderedHeight = FState.ViewHeight;
    FRenderMilliseconds = timer.elapsed();
}

TMapView::TScreenTarget::~TScreenTarget() {
    View.FDrawCanvas = View.FOwnCanvas.get();
    View.FState.DrawRect = View.ClientRect();
}

double TMapView::DeviceRatio() const {
    return std::max(1.0, viewport()->devicePixelRatioF());
}

QSize TMapView::ImageSize() const {
    return (QSizeF(viewport()->size()) * DeviceRatio()).toSize().expandedTo(QSize(1, 1));
}

TIntRect TMapView::ClientRect() const {
    return {0, 0, FState.ClientWidth, FState.ClientHeight};
}

void TMapView::DrawContents(TCanvas& canvas, const TIntRect& rect) {
    FDrawCanvas = &canvas;
    FState.DrawRect = rect;
    canvas.Pen.Mode = TPenMode::Copy;
    canvas.Pen.Width = 1;
    canvas.Pen.Style = TPenStyle::Solid;
    if (OnPaint)
        OnPaint(this);
    DrawOverlays(canvas);
}

TMapView::TOverlayLayouts TMapView::OverlayLayouts(TCanvas& canvas) const {
    canvas.Font = font();
    const int dpiX = canvas.PixelsPerInchX(), dpiY = canvas.PixelsPerInchY();
    TOverlayLayouts layouts;
    // A zero conversion or fraction would divide by zero: such an overlay is left out.
    if ((FOptions & moShowScale) && FState.DisplayConversion != 0 && FState.BarFraction > 0 &&
        FState.ViewWidth > 0) {
        const QString label = ScaleBarText(FState);
        layouts.Bar =
            ScaleBarLayout(FState, dpiX, dpiY, canvas.TextWidth(label), canvas.TextHeight(label));
    }
    if ((FOptions & moShowAspect) && FState.BarFraction > 0) {
        const QString label = AspectLabel(FState.YAspect());
        layouts.Aspect =
            AspectLayout(FState, dpiX, dpiY, layouts.Bar ? layouts.Bar->Bounds.Top : 0,
                         canvas.TextWidth(label), canvas.TextWidth("1"), canvas.TextHeight("1"));
    }
    return layouts;
}

std::vector<TIntRect> TMapView::OverlayBounds(TCanvas& canvas) const {
    const QFont before = canvas.Font;
    const TOverlayLayouts layouts = OverlayLayouts(canvas);
    canvas.Font = before;
    std::vector<TIntRect> bounds;
    if (layouts.Bar)
        bounds.push_back(layouts.Bar->Bounds);
    if (layouts.Aspect)
        bounds.push_back(layouts.Aspect->Bounds);
    return bounds;
}

void TMapView::DrawOverlays(TCanvas& canvas) {
    if (!(FOptions & (moShowScale | moShowAspect)))
        return;
    const TOverlayLayouts layouts = OverlayLayouts(canvas);
    canvas.FontColor = FromQColor(palette().color(QPalette::WindowText));
    canvas.Pen.Color = canvas.FontColor;
    canvas.Pen.Mode = TPenMode::Copy;
    canvas.BrushStyle = TBrushStyle::Clear;
    if (const auto& bar = layouts.Bar) {
        for (const TPixelSegment& s : {bar->LeftTick, bar->Bar, bar->RightTick})
            canvas.Segment(s.X1, s.Y1, s.X2, s.Y2);
        canvas.TextOut(bar->LabelAt.X, bar->LabelAt.Y, bar->Label);
    }
    if (const auto& aspect = layouts.Aspect) {
        canvas.TextOut(aspect->LabelAt.X, aspect->LabelAt.Y, aspect->Label);
        canvas.TextOut(aspect->OneAt.X, aspect->OneAt.Y, "1");
        for (const TPixelSegment& s : {aspect->Vertical, aspect->Horizontal, aspect->Hypotenuse})
            canvas.Segment(s.X1, s.Y1, s.X2, s.Y2);
    }
}

void TMapView::DrawDragFigure(TCanvas& canvas, double ratio) const {
    // The drag points are client pixels; the image may have more pixels than the client area.
    const TIntPoint start{RoundToInt(FDragStart.X * ratio), RoundToInt(FDragStart.Y * ratio)};
    const TIntPoint current{RoundToInt(FDragCurrent.X * ratio), RoundToInt(FDragCurrent.Y * ratio)};
    canvas.Pen = {FColor, 1, TPenStyle::Dot, TPenMode::Xor};
    canvas.MoveTo(start.X, start.Y);
    if (FDragKind == TMapMouseMode::mmZoom) {
        canvas.LineTo(start.X, current.Y);
        canvas.LineTo(current.X, current.Y);
        canvas.LineTo(current.X, start.Y);
        canvas.LineTo(start.X, start.Y);
    } else if (FDragKind == TMapMouseMode::mmPan) {
        canvas.LineTo(current.X, current.Y);
    }
}

namespace {
TPrinterPage PageOf(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    const int resolution = printer.resolution();
    const QRect paint = layout.paintRectPixels(resolution);
    const QRect full = layout.fullRectPixels(resolution);
    TPrinterPage page;
    page.Width = paint.width();
    page.Height = paint.height();
    page.DpiX = printer.logicalDpiX();
    page.DpiY = printer.logicalDpiY();
    page.Offset = {paint.left() - full.left(), paint.top() - full.top()};
    page.PhysicalWidth = full.width();
    page.PhysicalHeight = full.height();
    return page;
}
} // namespace

void TMapView::Print(QPrinter& printer) {
    printer.setDocName(QCoreApplication::applicationName());
    QPainter painter;
    if (!painter.begin(&printer))
        throw Exception("The printer could not start the document.");
    const TScreenTarget restore(*this); // however printing ends

    TPainterCanvas canvas(painter);
    canvas.Font = font(); // sized in points, so it keeps its size on paper
    canvas.TextOut(0, 0, " ");
    const int textHeight = canvas.TextHeight("A");
    const bool captions =
        !LeftCaption.isEmpty() || !MiddleCaption.isEmpty() || !RightCaption.isEmpty();
    const TIntRect margins{FState.MarginLeft, FState.MarginTop, FState.MarginRight,
                           FState.MarginBottom};
    const TIntRect r = PrintFrame(PageOf(printer), margins, captions, textHeight,
                                  FState.ClientWidth, FState.ClientHeight);
    FState.DrawRect = r;
    FDrawCanvas = &canvas;
    struct TPageAreaWhilePrinting {
        std::optional<TIntRect>& Area;
        ~TPageAreaWhilePrinting() { Area.reset(); }
    } pageArea{FPageArea};
    FPageArea = PrintableRect(PageOf(printer), margins);
    FCaptionBottom = captions ? r.Bottom + textHeight / 4 + textHeight : r.Bottom;
    canvas.BrushStyle = TBrushStyle::Clear;
    canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    if (captions) {
        const int y = r.Bottom + textHeight / 4;
        canvas.TextOut(r.Left, y, LeftCaption);
        canvas.TextOut(r.Right - canvas.TextWidth(RightCaption), y, RightCaption);
        canvas.TextOut((r.Left + r.Right - canvas.TextWidth(MiddleCaption)) / 2, y, MiddleCaption);
    }
    DrawContents(canvas, r);
    if (!painter.end())
        throw Exception("The printer could not finish the document.");
}

void TMapView::DrawPicture(TCanvas& canvas, const TIntRect& rect) {
    const TScreenTarget restore(*this);
    canvas.Font = font();
    DrawContents(canvas, rect);
}

void TMapView::DrawGround(TCanvas& canvas, const TIntRect& rect, double left, double bottom,
                          double width, double height) {
    struct TViewKept {
        TMapViewState& State;
        const TMapViewState Kept;
        ~TViewKept() { State = Kept; }
    } kept{FState, FState};
    FState.ViewLeft = left;
    FState.ViewBottom = bottom;
    FState.ViewWidth = width;
    FState.ViewHeight = height;
    FState.ViewRight = left + width;
    FState.ViewTop = bottom + height;
    DrawPicture(canvas, rect);
}

void TMapView::Repaint() {
    Render();
    viewport()->repaint();
}

void TMapView::paintEvent(QPaintEvent*) {
    RunGuarded([&] {
        if (FImage.size() != ImageSize() || FImage.devicePixelRatio() != DeviceRatio())
            Render();
        QPainter painter(viewport());
        if (ShowsMovedImage()) {
            painter.fillRect(viewport()->rect(), ToQColor(FColor));
            painter.drawImage(RenderedRectNow(), FImage);
        } else if (!Dragging()) {
            painter.drawImage(0, 0, FImage);
        } else {
            // The figure goes over a copy, so the rendered model stays as it is.
            QImage shown = FImage.copy();
            shown.setDevicePixelRatio(1);
            TImageCanvas canvas(shown);
            DrawDragFigure(canvas, FImage.devicePixelRatio());
            shown.setDevicePixelRatio(FImage.devicePixelRatio());
            painter.drawImage(0, 0, shown);
        }
        if (OnPaintOverlay)
            OnPaintOverlay(this, painter);
    });
}

void TMapView::Refit() {
    const double cx = FState.ViewLeft + FState.ViewWidth / 2;
    const double cy = FState.ViewBottom + FState.ViewHeight / 2;
    FState.ClientWidth = viewport()->width();
    FState.ClientHeight = viewport()->height();
    FState.DrawRect = ClientRect();
    FState.ComputeFrame();
    const THistoryEntry view = FState.CentredView(cx, cy, FState.Zoom);
    FState.PlaceView(view.Left, view.Bottom, view.Zoom);
    ShowScrollPositions();
}

void TMapView::resizeEvent(QResizeEvent* event) {
    TVandrelCustomControl::resizeEvent(event);
    RunGuarded([&] {
        // The bars first: they take their room from the client area, which is then measured.
        SetScrollRange(Qt::Horizontal, 0, TMapViewState::ScrollUnits);
        SetScrollRange(Qt::Vertical, 0, TMapViewState::ScrollUnits);
        Refit();
        Repaint();
        ViewChanged();
    });
}

void TMapView::Scrolled(Qt::Orientation bar, int action) {
    QScrollBar* scrollBar = bar == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    RunGuarded([&] {
        Scroll(bar, CodeFor(action, scrollBar->isSliderDown()), scrollBar->sliderPosition());
    });
}

void TMapView::BarMoved(Qt::Orientation bar, int value) {
    // A position the view did not set (the bar's "Scroll here", say) is a thumb released there.
    const double position = bar == Qt::Horizontal ? FState.HPos : FState.VPos;
    if (FSettingBars || value == RoundToInt(position))
        return;
    RunGuarded([&] { Scroll(bar, TScrollCode::ThumbPosition, value); });
}

void TMapView::Scroll(Qt::Orientation bar, TScrollCode code, int thumbPosition) {
    QScrollBar* scrollBar = bar == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    double& position = bar == Qt::Horizontal ? FState.HPos : FState.VPos;
    const double target = FState.ScrollTarget(position, code, thumbPosition);
    {
        // The bar's own step is replaced by the view's; the bar commits what is set here.
        const TBarsUpdate ours(*this);
        scrollBar->setSliderPosition(RoundToInt(target));
    }
    if (target == position)
        return;
    position = target;
    Repaint();
    ViewChanged();
}

void TMapView::mousePressEvent(QMouseEvent* event) {
    RunGuarded([&] {
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::MiddleButton) {
            if (!Dragging()) {
                FMiddlePanFrom = TIntPoint{at.x(), at.y()};
                FMiddlePanMoved = false;
            }
            return;
        }
        const bool drags =
            FMouseMode == TMapMouseMode::mmZoom || FMouseMode == TMapMouseMode::mmPan;
        if (LeftButtonAlone(event) && drags) {
            FDragStart = FDragCurrent = {at.x(), at.y()};
            FDragKind = FMouseMode;
        }
        if (OnMouseDown)
            OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
    });
}

void TMapView::mouseMoveEvent(QMouseEvent* event) {
    RunGuarded([&] {
        const QPoint at = event->position().toPoint();
        if (FMiddlePanFrom) {
            const TIntPoint to{at.x(), at.y()};
            const THistoryEntry view = FState.PanDragView(*FMiddlePanFrom, to);
            SetViewInMotion(!FMiddlePanMoved, view.Left, view.Bottom, view.Zoom);
            FMiddlePanFrom = to;
            FMiddlePanMoved = true;
        }
        if (FDragKind == TMapMouseMode::mmZoom)
            FDragCurrent = FState.ZoomDragPoint(FDragStart, at.x(), at.y());
        else if (FDragKind == TMapMouseMode::mmPan)
            FDragCurrent = {at.x(), at.y()};
        if (Dragging())
            viewport()->update();
        if (OnMouseMove)
            OnMouseMove(this, event->modifiers(), at.x(), at.y());
    });
}

void TMapView::mouseReleaseEvent(QMouseEvent* event) {
    RunGuarded([&] {
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::MiddleButton) {
            if (FMiddlePanFrom && ShowsMovedImage())
                Repaint(); // the exact picture at once, not after the pause
            FMiddlePanFrom.reset();
            return;
        }
        if (OnMouseUp)
            OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
        if (event->button() != Qt::LeftButton || !Dragging())
            return;
        const TMapMouseMode kind = FDragKind;
        FDragKind = TMapMouseMode::mmNone;
        viewport()->update(); // erases the figure
        if (kind == TMapMouseMode::mmZoom) {
            if (KeysOrButtonsHeld(event))
                return;
            if (const auto view = FState.ZoomDragView(FDragStart, FDragCurrent))
                SetView(true, view->Left, view->Bottom, view->Zoom);
        } else {
            const THistoryEntry view = FState.PanDragView(FDragStart, FDragCurrent);
            SetView(true, view.Left, view.Bottom, view.Zoom);
        }
    });
}

void TMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    RunGuarded([&] {
        const QPoint at = event->position().toPoint();
        if (OnMouseDown)
            OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
        if (OnDblClick)
            OnDblClick(this);
    });
}

void TMapView::keyPressEvent(QKeyEvent* event) {
    RunGuarded([&] {
        switch (event->key()) {
        case Qt::Key_Left:
            return PanBy(-0.1, 0);
        case Qt::Key_Right:
            return PanBy(0.1, 0);
        case Qt::Key_Up:
            return PanBy(0, 0.1);
        case Qt::Key_Down:
            return PanBy(0, -0.1);
        case Qt::Key_PageUp:
            return Scroll(Qt::Vertical, TScrollCode::PageUp, 0);
        case Qt::Key_PageDown:
            return Scroll(Qt::Vertical, TScrollCode::PageDown, 0);
        case Qt::Key_Home:
            return Scroll(Qt::Vertical, TScrollCode::Top, 0);
        case Qt::Key_End:
            return Scroll(Qt::Vertical, TScrollCode::Bottom, 0);
        default:
            event->ignore();
        }
    });
}

void TMapView::PanBy(double across, double up) {
    SetView(false, FState.ViewLeft + across * FState.ViewWidth,
            FState.ViewBottom + up * FState.ViewHeight, FState.Zoom);
}

void TMapView::ZoomAbout(bool push, int x, int y, double factor, bool inMotion) {
    const double zoom = FState.ClampZoom(FState.Zoom * factor);
    if (zoom == FState.Zoom || FState.ClientWidth <= 0 || FState.ClientHeight <= 0)
        return;
    const double px = FState.PixelToWorldX(x), py = FState.PixelToWorldY(y);
    const double width = FState.FrameWidth / zoom, height = FState.FrameHeight / zoom;
    const double left = px - x * width / FState.ClientWidth;
    const double bottom = py - (FState.ClientHeight - y) * height / FState.ClientHeight;
    if (inMotion)
        SetViewInMotion(push, left, bottom, zoom);
    else
        SetView(push, left, bottom, zoom);
}

void TMapView::wheelEvent(QWheelEvent* event) {
    RunGuarded([&] {
        // A notch (120 eighths of a degree) zooms by the square root of 2; a trackpad's pixels
        // count as a notch every 120.
        const int steps =
            event->pixelDelta().y() != 0 ? event->pixelDelta().y() : event->angleDelta().y();
        if (steps == 0 || FDragKind != TMapMouseMode::mmNone)
            return event->ignore();
        const bool gestureStarts = !FLastWheel.isValid() || FLastWheel.elapsed() > 400 ||
                                   event->phase() == Qt::ScrollBegin;
        FLastWheel.start();
        const QPoint at = event->position().toPoint();
        ZoomAbout(gestureStarts, at.x(), at.y(), std::pow(2.0, steps / 240.0), true);
        event->accept();
    });
}
