#include "HeaderInfoWindow.h"
#include "HeaderRows.h"
#include "platform/ErrorGuard.h"
#include "platform/NumberText.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// The grid's look, which its fixed row shares: no headers, no lines, no frame, rows 18 high in the
// window colour, never scrolled sideways.
void LookLikeTheGrid(QTableView* table) {
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(18);
    table->setShowGrid(false);
    table->setFrameShape(QFrame::NoFrame);
    table->setStyleSheet("QTableView { background: palette(window); }");
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
} // namespace

TfrmHeaderInfo::TfrmHeaderInfo(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmHeaderInfo");
    setWindowTitle("File Header");
    resize(300, 572);

    // The header bar is a control of its own above the grid: dragging its section borders sets
    // the grid's column widths.
    auto* sections = new QStandardItemModel(0, 2, this);
    sections->setHorizontalHeaderLabels({"Field", "Value"});
    HeaderControl1 = new QHeaderView(Qt::Horizontal, this);
    HeaderControl1->setObjectName("HeaderControl1");
    HeaderControl1->setModel(sections);
    HeaderControl1->setSectionsMovable(false);
    HeaderControl1->setSectionResizeMode(QHeaderView::Interactive);
    HeaderControl1->setFixedHeight(17);
    HeaderControl1->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    HeaderControl1->resizeSection(0, 150);
    HeaderControl1->resizeSection(1, 9999);
    HeaderControl1->setStretchLastSection(false);

    StringGrid = new QTableWidget(0, 2, this);
    StringGrid->setObjectName("StringGrid");
    LookLikeTheGrid(StringGrid);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setColumnWidth(0, 150);
    StringGrid->setColumnWidth(1, 150);
    // The value column follows the header bar's second section, which reaches past any width.
    // The grid never scrolls sideways (moving to a value would otherwise scroll the names
    // away), so the first column stays fixed.
    connect(StringGrid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value != 0)
            StringGrid->horizontalScrollBar()->setValue(0);
    });
    StringGrid->viewport()->installEventFilter(this); // its size is final when it hears it

    FFixedRow = new QTableView(StringGrid);
    FFixedRow->setObjectName("FixedRow");
    FFixedRow->setModel(StringGrid->model());
    FFixedRow->setSelectionModel(StringGrid->selectionModel());
    LookLikeTheGrid(FFixedRow);
    FFixedRow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FFixedRow->setFocusPolicy(Qt::NoFocus);
    FFixedRow->setAttribute(Qt::WA_TransparentForMouseEvents); // clicks and the wheel: the grid's

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(HeaderControl1);
    layout->addWidget(StringGrid, 1);

    connect(HeaderControl1, &QHeaderView::sectionResized, this,
            [this] { RunGuarded([&] { HeaderControl1SectionTrack(); }); });
}

void TfrmHeaderInfo::ShowHeader(const TVRKHeader& header) {
    FNextRow = 0;
    StringGrid->setRowCount(29);
    for (const THeaderRow& row : HeaderRows(header, SystemDecimalSeparator()))
        AddField(row.Field, row.Value);
    // The names are cut nowhere: the first section is widened to the longest when the font
    // needs, and the grid follows the sections whether they changed or not.
    StringGrid->resizeColumnToContents(0);
    HeaderControl1->resizeSection(
        0, std::max(HeaderControl1->sectionSize(0), StringGrid->columnWidth(0) + 8));
    HeaderControl1SectionTrack();
    PlaceFixedRow();
}

void TfrmHeaderInfo::AddField(const QString& name, const QString& value) {
    StringGrid->setItem(FNextRow, 0, new QTableWidgetItem(name));
    StringGrid->setItem(FNextRow, 1, new QTableWidgetItem(value));
    ++FNextRow;
}

int TfrmHeaderInfo::RowCount() const {
    return StringGrid->rowCount();
}

QString TfrmHeaderInfo::Cell(int column, int row) const {
    const QTableWidgetItem* item = StringGrid->item(row, column);
    return item ? item->text() : QString();
}

int TfrmHeaderInfo::ColumnWidth(int column) const {
    return StringGrid->columnWidth(column);
}

void TfrmHeaderInfo::HeaderControl1SectionTrack() {
    for (int column = 0; column < 2; ++column) {
        StringGrid->setColumnWidth(column, HeaderControl1->sectionSize(column));
        FFixedRow->setColumnWidth(column, HeaderControl1->sectionSize(column));
    }
}

void TfrmHeaderInfo::PlaceFixedRow() {
    const QRect viewport = StringGrid->viewport()->geometry();
    FFixedRow->setVisible(StringGrid->rowCount() > 0);
    FFixedRow->setGeometry(viewport.x(), viewport.y(), viewport.width(), StringGrid->rowHeight(0));
    FFixedRow->raise();
}

bool TfrmHeaderInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid->viewport() && event->type() == QEvent::Resize)
        PlaceFixedRow();
    return QWidget::eventFilter(watched, event);
}

void TfrmHeaderInfo::closeEvent(QCloseEvent* event) {
    event->accept(); // hidden, not destroyed
    if (OnClose)
        RunGuarded([&] { OnClose(this); });
}

void TfrmHeaderInfo::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FPlaced || !parentWidget())
        return;
    FPlaced = true; // first shown centred over the main window
    move(parentWidget()->geometry().center() - rect().center());
}
