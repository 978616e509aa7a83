#include "ParallelDrawing.h"
#include "platform/Shares.h"

#include <QByteArray>
#include <algorithm>
#include <vector>

namespace {
// Below this many items a layer is drawn on one core: starting threads would cost more.
int MinimumShared = 20000;

int DefaultShares() {
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("VRK_RENDER_THREADS", &ok);
    if (ok && wanted > 0)
        return std::min(wanted, 64);
    return CoreCount();
}

int& Shares() {
    static int shares = DefaultShares();
    return shares;
}

int SharesForLayer(int count) {
    return std::min(Shares(), std::max(1, count / MinimumShared));
}

// Lays the drawn pixels of a share (alpha set) over the target.
void LayOver(QImage& target, const QImage& share) {
    for (int y = 0; y < target.height(); ++y) {
        auto* to = reinterpret_cast<uint32_t*>(target.scanLine(y));
        const auto* from = reinterpret_cast<const uint32_t*>(share.constScanLine(y));
        for (int x = 0; x < target.width(); ++x)
            if (from[x] >> 24)
                to[x] = from[x] | 0xFF000000u;
    }
}
} // namespace

int DrawingShares() {
    return Shares();
}

void SetDrawingShares(int shares, int minimumShared) {
    Shares() = std::clamp(shares, 1, 64);
    MinimumShared = std::max(1, minimumShared);
}

void WorkInShares(int count, const std::function<void(int first, int last)>& work) {
    RunInShares(SharesForLayer(count), count, [&](int, int first, int last) { work(first, last); });
}

void DrawInShares(TCanvas& target, int count,
                  const std::function<void(TCanvas& canvas, int first, int last)>& draw) {
    QImage* image = target.Pixels();
    const int shares = SharesForLayer(count);
    if (!image || shares <= 1)
        return draw(target, 0, count);
    // The first share draws on the target itself; the others are laid over it in order.
    std::vector<QImage> images(static_cast<size_t>(shares));
    RunInShares(shares, count, [&](int i, int first, int last) {
        if (i == 0)
            return draw(target, first, last);
        QImage& own = images[size_t(i)];
        own = NewImage(image->width(), image->height(), QImage::Format_ARGB32);
        own.fill(0);
        own.setDotsPerMeterX(image->dotsPerMeterX());
        own.setDotsPerMeterY(image->dotsPerMeterY());
        TImageCanvas canvas(own);
        canvas.Pen = target.Pen;
        draw(canvas, first, last);
    });
    for (size_t i = 1; i < images.size(); ++i)
        LayOver(*image, images[i]);
}
