#pragma once
// TMapView: the pan-and-zoom drawing surface. It knows nothing of the model: its owner draws in
// OnPaint through DrawLine, DrawCross and the transforms. The model is rendered into an
// off-screen image whenever the view, the options or the owner's content change; a paint only
// shows that image, with the dragged zoom rectangle or pan line drawn over it, so a drag never
// renders the model again.
#include "Canvas.h"
#include "MapViewState.h"
#include "VandrelCustomControl.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

enum TMapViewOption : unsigned { moMouseZoom = 1, moShowScale = 2, moShowAspect = 4 };
using TMapViewOptions = unsigned;
// mmProfile: clicks are the owner's (an elevation profile's line); the view drags nothing.
enum class TMapMouseMode { mmNone, mmZoom, mmPan, mmProfile };

class QPainter;
class QPrinter;

class TMapView : public TVandrelCustomControl {
public:
    using TNotifyEvent = std::function<void(TMapView* sender)>;
    using TMouseEvent = std::function<void(TMapView* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(TMapView* sender, Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TMapView(QWidget* parent = nullptr);
    ~TMapView() override;

    // Computations and settings (frame, zoom, history, transforms, properties).
    TMapViewState& State() { return FState; }
    const TMapViewState& State() const { return FState; }

    void SetYAspect(double value);
    TMapViewOptions Options() const { return FOptions; }
    void SetOptions(TMapViewOptions options);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    void SetMouseMode(TMapMouseMode mode);
    TMapMouseMode MouseMode() const { return FMouseMode; }

    void SetExtents(double minX, double maxX, double minY, double maxY);
    void SetView(bool push, double x, double y, double zoom);
    void CenterView(bool push, double cx, double cy, double zoom);
    void SetZoom(double zoom);
    // Zooms by factor keeping the model point under the client pixel (x, y) where it is.
    void ZoomAbout(bool push, int x, int y, double factor, bool inMotion = false);
    // A render slower than this (a frame) is not repeated for every step of a wheel turn: the
    // last image is shown moved and scaled, and the exact one follows when the turning stops.
    static constexpr int FrameMilliseconds = 16;
    static constexpr int MotionPauseMilliseconds = 250;
    // Whether the shown image is the last one, moved and scaled, until the exact one is drawn.
    bool ShowsMovedImage() const;
    void ZoomToRect(bool push, double minX, double maxX, double minY, double maxY);
    void ZoomExtents() { SetView(true, FState.FrameLeft, FState.FrameBottom, 1); }
    bool ZoomPrevious();
    bool CanZoomPrevious() const { return FState.HistoryCount() > 0; }
    void ClearZoomHistory() { FState.ClearHistory(); }

    int WorldToPixelX(double x) const { return FState.WorldToPixelX(x); }
    int WorldToPixelY(double y) const { return FState.WorldToPixelY(y); }
    double PixelToWorldX(int px) const { return FState.PixelToWorldX(px); }
    double PixelToWorldY(int py) const { return FState.PixelToWorldY(py); }

    // Draw on DrawCanvas with its current pen, clipped to the visible rectangle.
    bool DrawLine(double x1, double y1, double x2, double y2) {
        const auto segment = FState.ClipLine(x1, y1, x2, y2);
        if (segment)
            FDrawCanvas->Segment(segment->X1, segment->Y1, segment->X2, segment->Y2);
        return segment.has_value();
    }
    bool DrawCross(double x, double y);
    // The canvas the owner's OnPaint draws on: the screen image, or the printer's while printing.
    TCanvas& DrawCanvas() { return *FDrawCanvas; }

    // Prints the view inside the margins, framed, with the caption line under the frame; one
    // page, one job. The drawing target is the screen again afterwards, also on failure.
    void Print(QPrinter& printer);
    // While printing, the part of the page the view may use and where its caption band ends;
    // nothing on screen.
    const std::optional<TIntRect>& PageArea() const { return FPageArea; }
    int CaptionBottom() const { return FCaptionBottom; }
    // Where the scale bar and the aspect figure go on the canvas, for layers that keep clear.
    std::vector<TIntRect> OverlayBounds(TCanvas& canvas) const;
    QString LeftCaption, MiddleCaption, RightCaption;
    // Draws what the screen shows (every layer and the overlays) on canvas, the view fitted to
    // rect; the drawing target is the screen again afterwards, also on failure.
    void DrawPicture(TCanvas& canvas, const TIntRect& rect);
    // Draws as DrawPicture, but the ground rectangle from (left, bottom), width by height,
    // instead of the view; the view is as it was afterwards.
    void DrawGround(TCanvas& canvas, const TIntRect& rect, double left, double bottom, double width,
                    double height);

    // Renders the contents now and shows them ("repaint at once").
    void Repaint();
    // The rendered contents, without the dragged figure.
    const QImage& Image() const { return FImage; }
    bool Dragging() const { return FDragKind != TMapMouseMode::mmNone; }

    TNotifyEvent OnPaint;
    TNotifyEvent OnViewChanged;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // Drawn over the shown picture at every paint, in client pixels; a change needs only
    // viewport()->update(), never a render.
    std::function<void(TMapView* sender, QPainter& painter)> OnPaintOverlay;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int, int) override {}

private:
    void Render();
    // The history entry, the view and the scroll bars of SetView, without the render.
    void PlaceView(bool push, double x, double y, double zoom);
    // Places the view like SetView, but while a wheel turns: a slow render is put off.
    void SetViewInMotion(bool push, double x, double y, double zoom);
    // Where the world rectangle of the last rendered image lies in the client area now.
    QRectF RenderedRectNow() const;
    // Pen reset, OnPaint and the overlays, on canvas within rect.
    void DrawContents(TCanvas& canvas, const TIntRect& rect);
    void DrawOverlays(TCanvas& canvas);
    // The scale bar's and the aspect figure's places, for the options on; measured in the
    // view's font, which the canvas is given.
    struct TOverlayLayouts {
        std::optional<TScaleBarLayout> Bar;
        std::optional<TAspectLayout> Aspect;
    };
    TOverlayLayouts OverlayLayouts(TCanvas& canvas) const;
    void DrawDragFigure(TCanvas& canvas, double ratio) const;
    TIntRect ClientRect() const;
    // The screen's device pixels a client pixel, and the rendered image's size in them.
    double DeviceRatio() const;
    QSize ImageSize() const;
    // Makes the screen the drawing target again when it goes.
    struct TScreenTarget {
        explicit TScreenTarget(TMapView& view) : View(view) {}
        ~TScreenTarget();
        TMapView& View;
    };
    // Fits the frame to the client area as it is now, keeping the centre and the zoom.
    void Refit();
    void ShowScrollPositions();
    void Scrolled(Qt::Orientation bar, int action);
    void BarMoved(Qt::Orientation bar, int value);
    void Scroll(Qt::Orientation bar, TScrollCode code, int thumbPosition);
    void ViewChanged();
    // Moves the view by fractions of its width and height, as scrolling does (no history).
    void PanBy(double across, double up);

    TMapViewState FState;
    TMapViewOptions FOptions = moMouseZoom;
    TColor FColor = 0xFFFFFF;
    TMapMouseMode FMouseMode = TMapMouseMode::mmZoom;
    TMapMouseMode FDragKind = TMapMouseMode::mmNone;
    TIntPoint FDragStart, FDragCurrent;
    // The middle button pans the view live in every mouse mode, one history entry a drag.
    std::optional<TIntPoint> FMiddlePanFrom;
    std::optional<TIntRect> FPageArea;
    int FCaptionBottom = 0;
    bool FMiddlePanMoved = false;
    QImage FImage;
    std::unique_ptr<TImageCanvas> FOwnCanvas;
    TCanvas* FDrawCanvas = nullptr;
    // When the last wheel step came: steps close together are one gesture, one history entry.
    QElapsedTimer FLastWheel;
    // How long the last render took, and the world rectangle it drew.
    qint64 FRenderMilliseconds = 0;
    double FRenderedLeft = 0, FRenderedBottom = 0, FRenderedWidth = 1, FRenderedHeight = 1;
    QTimer* FExactRender;
    // Set while the view itself moves its scroll bars.
    bool FSettingBars = false;
    struct TBarsUpdate {
        explicit TBarsUpdate(TMapView& view) : View(view), Was(view.FSettingBars) {
            view.FSettingBars = true;
        }
        ~TBarsUpdate() { View.FSettingBars = Was; }
        TMapView& View;
        bool Was;
    };
};
