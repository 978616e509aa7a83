#include "HealthCheckWindow.h"
#include "HealthCheckRows.h"
#include "platform/ErrorGuard.h"
#include "platform/Memory.h"
#include "vrk/VRKModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <system_error>

TfrmHealthCheck::TfrmHealthCheck(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmHealthCheck");
    setWindowTitle("Health Check");
    resize(375, 314);
    setMinimumSize(228, 129);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    lblSummary->setContentsMargins(8, 0, 0, 0); // the text starts at 16, as the grid's does not
    FRows = new THealthCheckRows(this);
    StringGrid = new QTableView(this);
    StringGrid->setObjectName("StringGrid");
    StringGrid->setModel(FRows);
    StringGrid->setColumnWidth(0, 150);
    StringGrid->setColumnWidth(1, 207);
    StringGrid->verticalHeader()->hide();
    // Every row has the one height, so the view never measures millions of rows.
    StringGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid->verticalHeader()->setDefaultSectionSize(20);
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setWordWrap(false);
    StringGrid->horizontalHeader()->setHighlightSections(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(lblSummary);
    layout->addWidget(StringGrid, 1);

    // A click on a row, or a move of the current row by the keyboard, chooses the row; a mouse
    // press that moves the current row is left to the click that follows it.
    connect(StringGrid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        RunGuarded([&] { StringGridClick(index.row() + 1); });
    });
    connect(StringGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (QApplication::mouseButtons() == Qt::NoButton && current.isValid())
                    RunGuarded([&] { StringGridClick(current.row() + 1); });
            });
    connect(StringGrid, &QTableView::doubleClicked, this,
            [this](const QModelIndex&) { RunGuarded([&] { StringGridDblClick(); }); });
}

TfrmHealthCheck::~TfrmHealthCheck() {
    if (FPending.valid())
        FPending.wait(); // it writes to the pending rows
}

int TfrmHealthCheck::RowCount() const {
    FinishCheck();
    return FRows->GridRowCount();
}

QString TfrmHealthCheck::Cell(int column, int row) const {
    FinishCheck();
    return FRows->Cell(column, row);
}

TTriangle* TfrmHealthCheck::RowTriangle(int row) const {
    FinishCheck();
    return FRows->Triangle(row);
}

QString TfrmHealthCheck::Summary() const {
    FinishCheck();
    return lblSummary->text();
}

void TfrmHealthCheck::showEvent(QShowEvent* event) {
    RunGuarded([&] { FinishCheck(); });
    QWidget::showEvent(event);
}

void TfrmHealthCheck::CheckModelAhead(const TVandrelTINModel& model,
                                      std::shared_future<void> after) {
    FinishCheck();
    if (isVisible())
        return CheckModel(model);
    // Rows made apart from the view, which sees them only when they are taken in.
    FPendingRows = std::make_unique<THealthCheckRows>();
    try {
        FPending = std::async(std::launch::async, [&model, rows = FPendingRows.get(), after] {
            if (after.valid())
                after.wait();
            rows->BeginCheck();
            ::CheckModel(model, *rows);
            rows->EndCheck();
        });
    } catch (const std::system_error&) { // no thread to be had: checked now
        FPendingRows.reset();
        CheckModel(model);
    }
}

void TfrmHealthCheck::FinishCheck() const {
    if (!FPending.valid())
        return;
    const std::unique_ptr<THealthCheckRows> rows = std::move(FPendingRows);
    try {
        FPending.get();
    } catch (...) {
        FRows->BeginCheck();
        CheckFailed();
        throw;
    }
    FRows->TakeRows(*rows);
    lblSummary->setText(ProblemSummary(FRows->ProblemCount()));
}

void TfrmHealthCheck::CheckFailed() const {
    // Rows that ran out of memory are all let go before the error is shown, which needs
    // memory of its own; a partial list would pass for the whole one.
    FRows->Clear();
    FRows->EndCheck();
    lblSummary->setText("The check could not be completed");
    ReturnFreeMemory();
}

void TfrmHealthCheck::CheckModel(const TVandrelTINModel& model) {
    FinishCheck();
    FRows->BeginCheck();
    try {
        ::CheckModel(model, *this);
    } catch (...) {
        CheckFailed();
        throw;
    }
    FRows->EndCheck();
    lblSummary->setText(ProblemSummary(FRows->ProblemCount()));
}

void TfrmHealthCheck::AddProblem(const QString& entity, const QString& problem,
                                 TTriangle* triangle) {
    FRows->AddProblem(entity, problem, triangle);
}

void TfrmHealthCheck::AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                                       TTriangle* triangle) {
    FRows->AddEntityProblem(kind, number, problem, kind == ekTriangle ? triangle : nullptr);
}

void TfrmHealthCheck::ForgetTriangles() {
    FinishCheck();
    if (FRows->ForgetTriangles())
        lblSummary->setText(ProblemSummary(FRows->ProblemCount()) +
                            " in a model that is no longer loaded");
}

void TfrmHealthCheck::StringGridClick(int row) {
    if (TTriangle* triangle = RowTriangle(row); triangle && OnSelectTriangle)
        OnSelectTriangle(this, triangle);
}

void TfrmHealthCheck::StringGridDblClick() {
    if (OnZoomToTriangle)
        OnZoomToTriangle(this);
}
