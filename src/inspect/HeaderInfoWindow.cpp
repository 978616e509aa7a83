#include "HeaderInfoWindow.h"
#include "HeaderRows.h"
#include "platform/ErrorGuard.h"
#include "platform/NumberText.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

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
    StringGrid->horizontalHeader()->hide();
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(18);
    StringGrid->setShowGrid(false);
    StringGrid->setFrameShape(QFrame::NoFrame);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setColumnWidth(0, 150);
    StringGrid->setColumnWidth(1, 150);
    StringGrid->setStyleSheet("QTableWidget { background: palette(window); }");
    // The value column follows the header bar's second section, which reaches past any width.
    StringGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

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
    // The names are cut nowhere: the first column is widened to the longest when the font needs.
    const int designed = HeaderControl1->sectionSize(0);
    StringGrid->resizeColumnToContents(0);
    HeaderControl1->resizeSection(0, std::max(designed, StringGrid->columnWidth(0) + 8));
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
    StringGrid->setColumnWidth(0, HeaderControl1->sectionSize(0));
    StringGrid->setColumnWidth(1, HeaderControl1->sectionSize(1));
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
