#pragma once
// The drawing surface the map view and the model drawing use: a pen (colour, width, solid or
// dotted, copy or exclusive-or), a clear or solid brush, lines that leave out their end pixel,
// rectangles, text and the device's pixels per inch. The screen draws on an image with a line
// loop of our own (exact end pixels, exclusive-or that restores what it covers); the printer
// draws through QPainter.
#include <QFont>
#include <QImage>
#include <QString>
#include <cassert>
#include <cstdint>

// An image of that size, or std::bad_alloc when its pixels cannot be had: QImage would give a
// null image, and drawing into that writes where no pixels are.
QImage NewImage(int width, int height, QImage::Format format);

// A colour as 0x00BBGGRR: red in the lowest byte.
using TColor = uint32_t;
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

enum class TPenStyle { Solid, Dot };
enum class TPenMode { Copy, Xor };
enum class TBrushStyle { Clear, Solid };

struct TPen {
    TColor Color = 0;
    int Width = 1;
    TPenStyle Style = TPenStyle::Solid;
    TPenMode Mode = TPenMode::Copy;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;

    TPen Pen;
    TBrushStyle BrushStyle = TBrushStyle::Solid;
    TColor BrushColor = 0xFFFFFF;
    QFont Font;
    TColor FontColor = 0;

    void MoveTo(int x, int y) {
        FPenX = x;
        FPenY = y;
    }
    // Draws from the pen position to (x, y), without the pixel at (x, y).
    void LineTo(int x, int y) {
        Segment(FPenX, FPenY, x, y);
        MoveTo(x, y);
    }
    virtual void Segment(int x1, int y1, int x2, int y2) = 0;
    // Outline with the pen and fill with the brush, right and bottom edges excluded.
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // Text with its top-left corner at (x, y), in Font and FontColor; a solid brush fills
    // behind it.
    virtual void TextOut(int x, int y, const QString& text) = 0;
    virtual int TextWidth(const QString& text) = 0;
    virtual int TextHeight(const QString& text) = 0;
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;
    // The pixels themselves, for layers that fill them one by one; null for a device whose
    // pixels cannot be reached (a printer).
    virtual QImage* Pixels() { return nullptr; }
    // An image with its top-left corner at (x, y), one image pixel to a device pixel; its
    // transparent pixels leave the device as it is.
    virtual void DrawImage(int x, int y, const QImage& image) = 0;

private:
    int FPenX = 0, FPenY = 0;
};

// Bresenham's line from (x1, y1) towards (x2, y2), stopping before the last pixel. Every pixel
// it visits lies in the box of the two ends. The ends must lie within LineReach of each other.
template <class Plot> void WalkLine(int x1, int y1, int x2, int y2, Plot plot) {
    const int dx = x2 > x1 ? x2 - x1 : x1 - x2, dy = y2 > y1 ? y1 - y2 : y2 - y1;
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    for (int x = x1, y = y1; x != x2 || y != y2;) {
        plot(x, y);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

// Far ends are brought this close to a picture before a line is walked: the walk's sums stay
// well inside int, and a line that only grazes the picture takes no more steps than that.
constexpr int LineReach = 1 << 20;

// The part of a segment that can reach the picture 0..width-1 by 0..height-1. Ends within
// LineReach of the picture are kept as they are, so the walk gives the line's own pixels; a
// farther end is moved along the line to the picture's border, widened by two pixels. False
// when the line passes the picture by.
bool ClipToPicture(int width, int height, int& x1, int& y1, int& x2, int& y2);

// WalkLine over the part of the segment inside the picture: plot sees only its pixels.
template <class Plot>
void WalkLineWithin(int width, int height, int x1, int y1, int x2, int y2, Plot plot) {
    if (!ClipToPicture(width, height, x1, y1, x2, y2))
        return;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) {
        if (unsigned(x) < unsigned(width) && unsigned(y) < unsigned(height))
            plot(x, y);
    });
}

// Solid thin lines in one colour written straight into an image's pixels: the inner loop of
// drawing millions of sides. A line with both ends in the image is walked without a test per
// pixel; any other is clipped to it. The image must outlive the writer.
class TSolidLines {
public:
    TSolidLines(QImage& image, TColor color);
    void Draw(int x1, int y1, int x2, int y2) const {
        if (!Holds(x1, y1) || !Holds(x2, y2))
            return WalkLineWithin(FWidth, FHeight, x1, y1, x2, y2,
                                  [this](int x, int y) { Put(x, y); });
        WalkLine(x1, y1, x2, y2, [this](int x, int y) {
            assert(Holds(x, y)); // a walk stays in the box of its ends
            Put(x, y);
        });
    }

private:
    bool Holds(int x, int y) const {
        return unsigned(x) < unsigned(FWidth) && unsigned(y) < unsigned(FHeight);
    }
    void Put(int x, int y) const { reinterpret_cast<uint32_t*>(FBits + y * FStride)[x] = FPixel; }
    uchar* FBits;
    qsizetype FStride;
    int FWidth, FHeight;
    uint32_t FPixel;
};

// Draws on an RGB32 image; the image must outlive the canvas.
class TImageCanvas : public TCanvas {
public:
    explicit TImageCanvas(QImage& image) : FImage(image) {}
    void Segment(int x1, int y1, int x2, int y2) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) override;
    int TextHeight(const QString& text) override;
    int PixelsPerInchX() const override { return FImage.logicalDpiX(); }
    int PixelsPerInchY() const override { return FImage.logicalDpiY(); }
    QImage* Pixels() override { return &FImage; }
    void DrawImage(int x, int y, const QImage& image) override;
    // Whether the pen draws what TSolidLines draws.
    bool PenIsSolidThinCopy() const {
        return Pen.Width <= 1 && Pen.Mode == TPenMode::Copy && Pen.Style == TPenStyle::Solid;
    }

private:
    void Plot(int x, int y, uint32_t rgb, bool xorMode);
    void ThickSegment(int x1, int y1, int x2, int y2);
    QImage& FImage;
    int FDotPhase = 0;
};

class QPainter;

// Draws through a painter (the printer's); the painter must outlive the canvas.
class TPainterCanvas : public TCanvas {
public:
    explicit TPainterCanvas(QPainter& painter) : FPainter(painter) {}
    void Segment(int x1, int y1, int x2, int y2) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) override;
    int TextHeight(const QString& text) override;
    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;
    void DrawImage(int x, int y, const QImage& image) override;

private:
    void ApplyPen();
    QPainter& FPainter;
};
