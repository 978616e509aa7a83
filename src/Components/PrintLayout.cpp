#include "PrintLayout.h"

#include <algorithm>

int MMToPrinterPixels(int length, int dpi) {
    return length * dpi / 25;
}

TIntRect PrintableRect(const TPrinterPage& page, const TIntRect& m) {
    const int left = MMToPrinterPixels(m.Left, page.DpiX) - page.Offset.X;
    const int top = MMToPrinterPixels(m.Top, page.DpiY) - page.Offset.Y;
    const int right = page.PhysicalWidth - MMToPrinterPixels(m.Right, page.DpiX) - page.Offset.X;
    const int bottom = page.PhysicalHeight - MMToPrinterPixels(m.Bottom, page.DpiY) - page.Offset.Y;
    return {std::max(left, 0), std::max(top, 0), std::min(right, page.Width),
            std::min(bottom, page.Height)};
}

TIntRect PrintFrame(const TPrinterPage& page, const TIntRect& marginsMM, bool captions,
                    int textHeight, int clientWidth, int clientHeight) {
    TIntRect r = PrintableRect(page, marginsMM);
    if (captions)
        r.Bottom -= textHeight * 5 / 4;
    if (clientWidth <= 0 || clientHeight <= 0)
        return r;
    const int64_t rw = r.Right - r.Left, rh = r.Bottom - r.Top;
    if (rw * clientHeight > rh * clientWidth) {
        const int64_t width = rh * clientWidth / clientHeight;
        const int d = static_cast<int>((rw - width) / 2);
        r.Left += d;
        r.Right -= d;
    } else {
        const int64_t height = rw * clientHeight / clientWidth;
        const int d = static_cast<int>((rh - height) / 2);
        r.Top += d;
        r.Bottom -= d;
    }
    return r;
}
