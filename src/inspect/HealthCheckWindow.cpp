#include "HealthCheckWindow.h"
#include "platform/ErrorGuard.h"
#include "vrk/VRKModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

TfrmHealthCheck::TfrmHealthCheck(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmHealthCheck");
    setWindowTitle("Health Check");
    resize(375, 314);
    setMinimumSize(228, 129);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    StringGrid = new QTableWidget(0, 2, this);
    StringGrid->setObjectName("StringGrid");
    StringGrid->setHorizontalHeaderLabels({"Entity", "Problem"});
    StringGrid->setColumnWidth(0, 150);
    StringGrid->setColumnWidth(1, 207);
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(20);
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->horizontalHeader()->setHighlightSections(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(lblSummary);
    layout->addWidget(StringGrid, 1);
    SetRowCount(2);

    // A click on a row, or a move of the current row by the keyboard, chooses the row; a mouse
    // press that moves the current row is left to the click that follows it.
    connect(StringGrid, &QTableWidget::cellClicked, this,
            [this](int row, int) { RunGuarded([&] { StringGridClick(row + 1); }); });
    connect(StringGrid, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (QApplication::mouseButtons() == Qt::NoButton && row >= 0)
            RunGuarded([&] { StringGridClick(row + 1); });
    });
    connect(StringGrid, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { RunGuarded([&] { StringGridDblClick(); }); });
}

void TfrmHealthCheck::SetRowCount(int rows) {
    StringGrid->setRowCount(rows - 1);
    FRowTriangles.resize(static_cast<size_t>(rows), nullptr);
}

int TfrmHealthCheck::RowCount() const {
    return StringGrid->rowCount() + 1;
}

QString TfrmHealthCheck::Cell(int column, int row) const {
    if (row == 0)
        return StringGrid->horizontalHeaderItem(column)->text();
    const QTableWidgetItem* item = StringGrid->item(row - 1, column);
    return item ? item->text() : QString();
}

TTriangle* TfrmHealthCheck::RowTriangle(int row) const {
    return row >= 0 && row < static_cast<int>(FRowTriangles.size())
               ? FRowTriangles[static_cast<size_t>(row)]
               : nullptr;
}

QString TfrmHealthCheck::Summary() const {
    return lblSummary->text();
}

void TfrmHealthCheck::CheckModel(const TVandrelTINModel& model) {
    FProblemCount = 0;
    FNextRow = 1;
    StringGrid->clearContents();
    FRowTriangles.assign(FRowTriangles.size(), nullptr);
    SetRowCount(2);
    ::CheckModel(model, *this);
    lblSummary->setText(ProblemSummary(FProblemCount));
}

void TfrmHealthCheck::AddProblem(const QString& entity, const QString& problem,
                                 TTriangle* triangle) {
    if (FNextRow >= RowCount())
        SetRowCount(FNextRow + 5);
    StringGrid->setItem(FNextRow - 1, 0, new QTableWidgetItem(entity));
    StringGrid->setItem(FNextRow - 1, 1, new QTableWidgetItem(problem));
    FRowTriangles[static_cast<size_t>(FNextRow)] = triangle;
    ++FNextRow;
    ++FProblemCount;
}

void TfrmHealthCheck::AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                                       TTriangle* triangle) {
    AddProblem(EntityText(kind, number), problem, kind == ekTriangle ? triangle : nullptr);
}

void TfrmHealthCheck::ForgetTriangles() {
    if (std::none_of(FRowTriangles.begin(), FRowTriangles.end(), [](TTriangle* t) { return t; }))
        return;
    FRowTriangles.assign(FRowTriangles.size(), nullptr);
    lblSummary->setText(ProblemSummary(FProblemCount) + " in a model that is no longer loaded");
}

void TfrmHealthCheck::StringGridClick(int row) {
    if (TTriangle* triangle = RowTriangle(row); triangle && OnSelectTriangle)
        OnSelectTriangle(this, triangle);
}

void TfrmHealthCheck::StringGridDblClick() {
    if (OnZoomToTriangle)
        OnZoomToTriangle(this);
}
