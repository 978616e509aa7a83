#pragma once
// TfrmHealthCheck: the health check's problems in a grid, one row each, with the summary line
// above. Choosing a triangle row asks the main window to select that triangle; a double click
// asks it to zoom to the selection. The window holds references to the model's triangles and
// never frees them.
#include "HealthCheck.h"

#include <QWidget>
#include <functional>
#include <future>
#include <memory>

class QLabel;
class QTableView;
class THealthCheckRows;

class TfrmHealthCheck : public QWidget, public THealthReport {
public:
    explicit TfrmHealthCheck(QWidget* parent = nullptr);
    ~TfrmHealthCheck() override;

    // Replaces the rows and the summary with the check of the model.
    void CheckModel(const TVandrelTINModel& model);
    // The same, but while the window is hidden the check runs on other threads once after is
    // ready (the program's more urgent work), and its rows are taken in when the window is
    // shown, anything asks for them, or FinishCheck is called. The model must not change
    // meanwhile.
    void CheckModelAhead(const TVandrelTINModel& model, std::shared_future<void> after = {});
    // Waits for a check started ahead and takes in its rows; raises its failure, as CheckModel
    // would have. Whoever changes or frees the model calls it first.
    void FinishCheck() const;
    void AddProblem(const QString& entity, const QString& problem, TTriangle* triangle) override;
    void AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                          TTriangle* triangle) override;
    // The model the rows describe has been emptied: rows keep their text but select nothing.
    void ForgetTriangles();

    QString Summary() const;
    // Grid rows as the check counts them: row 0 is the title row.
    int RowCount() const;
    QString Cell(int column, int row) const;
    TTriangle* RowTriangle(int row) const;

    std::function<void(QObject* sender, TTriangle* triangle)> OnSelectTriangle;
    std::function<void(QObject* sender)> OnZoomToTriangle;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StringGridClick(int row);
    void CheckFailed() const;
    void StringGridDblClick();

    QLabel* lblSummary;
    QTableView* StringGrid;
    THealthCheckRows* FRows;
    // A check started ahead, and the rows it makes; the window's content is the last check's
    // once FinishCheck has run.
    mutable std::future<void> FPending;
    mutable std::unique_ptr<THealthCheckRows> FPendingRows;
};
