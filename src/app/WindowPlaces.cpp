#include "WindowPlaces.h"
#include "Settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
QString PlaceKey(const QWidget& tool) {
    return "toolWindows/" + tool.objectName();
}

// Keeps the window's place whenever it is hidden (closed, Esc, the owner gone).
class TPlaceKeeper : public QObject {
public:
    explicit TPlaceKeeper(QWidget& tool) : QObject(&tool) { tool.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide)
            if (auto* tool = qobject_cast<QWidget*>(watched))
                ProgramSettings()->setValue(PlaceKey(*tool), tool->pos());
        return false;
    }
};

// Beside the owner on its screen: to its right, else its left, else at the screen's right
// edge; level with the owner's work area below its menu bar.
QPoint BesideOwner(const QWidget& owner, QSize size) {
    const QRect screen = owner.screen()->availableGeometry();
    const QRect frame = owner.frameGeometry();
    int top = frame.top();
    if (const auto* window = qobject_cast<const QMainWindow*>(&owner); window && window->menuBar())
        top = window->menuBar()->mapToGlobal(QPoint(0, window->menuBar()->height())).y();
    int x = frame.right() + 1;
    if (x + size.width() > screen.right() + 1)
        x = frame.left() - size.width() >= screen.left()
                ? frame.left() - size.width()
                : std::max(screen.left(), screen.right() + 1 - size.width());
    int y =
        std::clamp(top, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    if (x <= frame.right() && x + size.width() > frame.left())
        y = std::max(y, top); // over the owner: never over its menu bar
    return {x, y};
}

// The place kept from before, when it is still on a screen.
bool KeptPlace(const QWidget& tool, QPoint& place) {
    const QVariant kept = ProgramSettings()->value(PlaceKey(tool));
    if (!kept.canConvert<QPoint>() || !QGuiApplication::screenAt(kept.toPoint()))
        return false;
    place = kept.toPoint();
    return true;
}

// Moves a shown window wholly onto its screen: one kept near an edge may have grown since.
void KeepOnScreen(QWidget& tool) {
    const QRect room = tool.screen()->availableGeometry(), frame = tool.frameGeometry();
    const int x = std::max(room.left(), std::min(frame.left(), room.right() + 1 - frame.width()));
    const int y = std::max(room.top(), std::min(frame.top(), room.bottom() + 1 - frame.height()));
    if (x != frame.left() || y != frame.top())
        tool.move(tool.pos() + QPoint(x - frame.left(), y - frame.top()));
}
} // namespace

void ShowToolWindow(QWidget& tool) {
    if (!tool.isVisible() && !tool.property("placeKept").toBool()) {
        tool.setProperty("placeKept", true);
        new TPlaceKeeper(tool);
        QPoint place;
        if (KeptPlace(tool, place))
            tool.move(place);
        else if (const QWidget* owner = tool.parentWidget())
            tool.move(BesideOwner(*owner->window(), tool.sizeHint().expandedTo(tool.size())));
        tool.show();
        KeepOnScreen(tool);
    }
    tool.show();
    tool.raise();
}

namespace {
// A window's frame beside its geometry: the title bar above, thin borders round it.
constexpr int FrameSides = 8, FrameTop = 32;
} // namespace

QRect FittedGeometry(const QRect& wanted, const QRect& available, bool wholly) {
    const QRect room = available.adjusted(FrameSides, FrameTop, -FrameSides, -FrameSides);
    const bool sizeFits = wanted.width() <= room.width() && wanted.height() <= room.height();
    if (room.isEmpty() || (sizeFits && (!wholly || room.contains(wanted))))
        return wanted;
    const QSize size = wanted.size().boundedTo(room.size());
    const int x = std::clamp(wanted.left(), room.left(), room.right() + 1 - size.width());
    const int y = std::clamp(wanted.top(), room.top(), room.bottom() + 1 - size.height());
    return {QPoint(x, y), size};
}

void FitOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect fitted = FittedGeometry(window.geometry(), screen->availableGeometry(),
                                        screen->devicePixelRatio() > 1);
    if (fitted != window.geometry()) // setting it moves a window by its frame
        window.setGeometry(fitted);
}
