#include "TriangleInfoWindow.h"
#include "TriangleDescription.h"
#include "compare/Measure.h"
#include "platform/ErrorGuard.h"
#include "platform/NumberText.h"
#include "support/ToolPictures.h"
#include "vrk/VRKModel.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

namespace {
// A label that reports a click, shown as a link.
class TLinkLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            OnClick)
            RunGuarded(OnClick);
    }
};

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->move(16, y);
    label->adjustSize();
    return label;
}
} // namespace

TfrmTriInfo::TfrmTriInfo(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("frmTriInfo");
    setWindowTitle("Triangle info");
    setFixedSize(318, 146);

    auto* Shape1 = new QFrame(this);
    Shape1->setObjectName("Shape1");
    Shape1->setStyleSheet("#Shape1 { background: white; border: 1px solid black; }");
    QPalette onWhite = palette();
    onWhite.setColor(QPalette::WindowText, Qt::black);
    setPalette(onWhite);

    // The designed places, moved right and the window widened where the font needs more room.
    const int lineHeight = fontMetrics().lineSpacing();
    const int below = 40 + 3 * lineHeight + 8; // the direction and neighbour rows follow the points
    int captionWidth = 0;
    for (QLabel* caption :
         {Caption(this, "Label1", "Triangle:", 16), Caption(this, "Label2", "Points:", 40),
          Caption(this, "Label3", "Direction:", below),
          Caption(this, "Label4", "Neighbours:", below + 24)})
        captionWidth = std::max(captionWidth, caption->width());
    const int x = std::max(88, 16 + captionWidth + 8);
    const int pointsWidth = std::max(
        225, fontMetrics().horizontalAdvance("00000: 0000000.000, 0000000.000, -0000.000") + 8);
    setFixedSize(std::max(318, x + pointsWidth + 8), std::max(146, below + 24 + lineHeight + 14));
    FDesignedSize = size();
    Shape1->setGeometry(rect());

    // The measuring rows, hidden until asked for: the designed window is as it was.
    const int measures = FDesignedSize.height() - 6;
    lblAreaCaption = Caption(this, "lblAreaCaption", "Area:", measures);
    lblSlopeCaption = Caption(this, "lblSlopeCaption", "Slope:", measures + lineHeight + 6);
    lblArea = new QLabel(this);
    lblArea->setObjectName("lblArea");
    lblArea->setGeometry(x, measures, pointsWidth, lineHeight + 2);
    lblSlope = new QLabel(this);
    lblSlope->setObjectName("lblSlope");
    lblSlope->setGeometry(x, measures + lineHeight + 6, pointsWidth, lineHeight + 2);
    for (QLabel* label : {lblAreaCaption, lblArea, lblSlopeCaption, lblSlope})
        label->hide();

    txtTriNum = new QLineEdit(this);
    txtTriNum->setObjectName("txtTriNum");
    txtTriNum->setGeometry(x, 15, 57, 20);
    txtTriNum->installEventFilter(this);
    connect(txtTriNum, &QLineEdit::returnPressed, this,
            [this] { RunGuarded([&] { TypedNumber(); }); });

    auto tool = [this](const char* name, const QString& hint, QRect geometry) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setToolTip(hint);
        button->setGeometry(geometry);
        button->setAutoRaise(true);
        return button;
    };
    sbBack = tool("sbBack", "Back", QRect(x + 64, 16, 19, 15));
    sbBack->setIcon(ToolPicture(TToolPicture::Back));
    sbForward = tool("sbForward", "Forward", QRect(x + 83, 16, 19, 15));
    sbForward->setIcon(ToolPicture(TToolPicture::Forward));
    for (QToolButton* arrow : {sbBack, sbForward})
        arrow->setIconSize(QSize(12, 11));
    btnZoom = tool("btnZoom", "Zoom to triangle", QRect(x + 116, 12, 24, 24));
    btnZoom->setIcon(ToolPicture(TToolPicture::ZoomToTriangle));
    connect(sbBack, &QToolButton::clicked, this, [this] { RunGuarded([&] { sbBackClick(); }); });
    connect(sbForward, &QToolButton::clicked, this,
            [this] { RunGuarded([&] { sbForwardClick(); }); });
    connect(btnZoom, &QToolButton::clicked, this, [this] { RunGuarded([&] { btnZoomClick(); }); });

    lblPoints = new QLabel(this);
    lblPoints->setObjectName("lblPoints");
    lblPoints->setGeometry(x, 40, pointsWidth, 3 * lineHeight + 2);
    lblPoints->setWordWrap(true);
    lblPoints->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDirection = new QLabel(this);
    lblDirection->setObjectName("lblDirection");
    lblDirection->setGeometry(x, below, 200, lineHeight + 2);
    for (int k = 1; k <= 3; ++k) {
        auto* link = new TLinkLabel(this);
        link->setObjectName(QString("lblNeighbour%1").arg(k));
        link->setGeometry(x + 56 * (k - 1), below + 24, 52, lineHeight + 2);
        link->setStyleSheet("color: blue; text-decoration: underline;");
        link->setCursor(Qt::PointingHandCursor);
        link->OnClick = [this, k] { NeighbourClick(k); };
        FNeighbourLabels[k - 1] = link;
    }
    Reset();
}

void TfrmTriInfo::SetShowsMeasures(bool shows) {
    for (QLabel* label : {lblAreaCaption, lblArea, lblSlopeCaption, lblSlope})
        label->setVisible(shows);
    const int extra = 2 * (fontMetrics().lineSpacing() + 6) + 6;
    setFixedSize(FDesignedSize + QSize(0, shows ? extra : 0));
    findChild<QFrame*>("Shape1")->setGeometry(rect());
    DisplayTriangle(FShown);
}

void TfrmTriInfo::DisplayTriangle(TTriangle* triangle) {
    FShown = triangle;
    lblArea->clear();
    lblSlope->clear();
    if (triangle && !lblArea->isHidden()) {
        const TTriangleSlope slope = SlopeOf(*triangle);
        lblArea->setText(AreaText(slope, SystemDecimalSeparator()));
        // Without its first word: the caption says it.
        lblSlope->setText(SlopeText(slope, SystemDecimalSeparator()).section(' ', 1));
    }
    if (!triangle) {
        txtTriNum->clear();
        lblPoints->clear();
        lblDirection->clear();
        for (int k = 0; k < 3; ++k) {
            FNeighbourLabels[k]->clear();
            FNeighbourTargets[k] = nullptr;
        }
        FCurrentNumber = 0;
        return;
    }
    txtTriNum->setText(QString::number(triangle->Number));
    // The label shows the lines; the text keeps the line breaks of the format.
    lblPoints->setText(
        TrianglePointsText(*triangle, SystemDecimalSeparator()).trimmed().replace("\r\n", "\n"));
    lblDirection->setText(DirectionText(*triangle));
    for (int k = 1; k <= 3; ++k) {
        FNeighbourTargets[k - 1] = triangle->Neighbour(k);
        FNeighbourLabels[k - 1]->setText(NeighbourText(triangle->Neighbour(k)));
    }
    FCurrentNumber = triangle->Number;
}

void TfrmTriInfo::Reset() {
    FHistory.Clear();
    UpdateNavigation();
    DisplayTriangle(nullptr);
}

void TfrmTriInfo::ShowTriangle(TTriangle* triangle) {
    DisplayTriangle(triangle);
    if (!FNavigating) {
        FHistory.Add(triangle);
        UpdateNavigation();
    }
}

void TfrmTriInfo::UpdateNavigation() {
    sbBack->setEnabled(FHistory.CanGoBack());
    sbForward->setEnabled(FHistory.CanGoForward());
}

void TfrmTriInfo::GoToHistory(int index) {
    struct TNavigating {
        bool& Flag;
        ~TNavigating() { Flag = false; }
    } navigating{FNavigating = true};
    if (OnSelectTriangle)
        OnSelectTriangle(this, FHistory.At(index));
    FHistory.SetIndex(index);
    UpdateNavigation();
}

void TfrmTriInfo::sbBackClick() {
    if (FHistory.CanGoBack())
        GoToHistory(FHistory.Index() - 1);
}

void TfrmTriInfo::sbForwardClick() {
    if (FHistory.CanGoForward())
        GoToHistory(FHistory.Index() + 1);
}

void TfrmTriInfo::NeighbourClick(int k) {
    if (OnSelectTriangle)
        OnSelectTriangle(this, FNeighbourTargets[k - 1]);
}

void TfrmTriInfo::TypedNumber() {
    bool ok = false;
    int number = txtTriNum->text().trimmed().toInt(&ok);
    if (!ok)
        number = FCurrentNumber;
    const int count = Model ? Model->Triangles().Count() : 0;
    if (number < 1 || number > count) {
        txtTriNum->setText(QString::number(FCurrentNumber));
        return;
    }
    if (OnSelectTriangle)
        OnSelectTriangle(this, Model->Triangles().Triangle(number - 1));
}

void TfrmTriInfo::btnZoomClick() {
    if (OnZoomToTriangle)
        OnZoomToTriangle(this);
}

void TfrmTriInfo::closeEvent(QCloseEvent* event) {
    event->accept(); // hidden, not destroyed
    if (OnClose)
        RunGuarded([&] { OnClose(this); });
}

bool TfrmTriInfo::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the box for another control of this window reads the number; the window itself
    // losing the focus does not.
    if (watched == txtTriNum && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            RunGuarded([&] { TypedNumber(); });
    }
    return QWidget::eventFilter(watched, event);
}
