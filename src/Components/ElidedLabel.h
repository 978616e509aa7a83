#pragma once
// A label that may be narrower than its text: the text is then cut with an ellipsis, never
// drawn past the label's edge. Text() is always the whole text.
#include <QLabel>

class TElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    void SetFullText(const QString& text);
    const QString& FullText() const { return FFullText; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowElided();
    QString FFullText;
};
