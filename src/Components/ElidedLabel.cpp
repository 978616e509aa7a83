#include "ElidedLabel.h"

#include <QFontMetrics>
#include <algorithm>

void TElidedLabel::SetFullText(const QString& text) {
    FFullText = text;
    ShowElided();
}

QSize TElidedLabel::minimumSizeHint() const {
    const QSize hint = QLabel::minimumSizeHint();
    return {contentsMargins().left() + contentsMargins().right() + 2 * frameWidth(), hint.height()};
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    ShowElided();
}

void TElidedLabel::ShowElided() {
    // A negative indent is the label's own: half an "x" inside a frame, else none.
    const int indentWidth = indent() >= 0
                                ? indent()
                                : (frameWidth() > 0 ? fontMetrics().horizontalAdvance('x') / 2 : 0);
    const int room = contentsRect().width() - 2 * margin() - indentWidth;
    setText(fontMetrics().elidedText(FFullText, Qt::ElideRight, std::max(room, 0)));
}
