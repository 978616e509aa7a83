#pragma once
// A windowed control with a border style and scroll bars, which handles the eight navigation
// keys itself. Its viewport is the client area.
#include <QAbstractScrollArea>

class TVandrelCustomControl : public QAbstractScrollArea {
public:
    enum TBorderStyle { bsNone, bsSingle };
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

    explicit TVandrelCustomControl(QWidget* parent = nullptr);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle style);

protected:
    int HorizontalPosition() const;
    int VerticalPosition() const;
    // Sets a bar's range; a bar that is not needed is disabled rather than hidden.
    void SetScrollRange(Qt::Orientation bar, int minimum, int maximum);
    // The navigation keys reach the control instead of moving the focus.
    bool focusNextPrevChild(bool) override { return false; }

private:
    TBorderStyle FBorderStyle = bsSingle;
    TScrollStyle FScrollBars = ssNone;
};
