#pragma once
// TAnimate: an animation control that plays a silent AVI clip from a file on a timer, from its
// first frame up to the stop frame, over and over.
#include "AviClip.h"

#include <QTimer>
#include <QWidget>
#include <optional>

class TAnimate : public QWidget {
public:
    explicit TAnimate(QWidget* parent = nullptr);

    void SetFileName(const QString& fileName) { FFileName = fileName; }
    // The last frame played, counted from 1.
    void SetStopFrame(int frame) { FStopFrame = frame; }
    // Starting reads the clip; a clip that cannot be read raises and leaves the control inactive.
    void SetActive(bool active);
    bool Active() const { return FTimer.isActive(); }
    int CurrentFrame() const { return FCurrent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Step();

    QString FFileName;
    int FStopFrame = 0;
    std::optional<TAviClip> FClip;
    int FCurrent = 0;
    QTimer FTimer;
};
