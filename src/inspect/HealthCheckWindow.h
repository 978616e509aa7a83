#pragma once
// TfrmHealthCheck: the health check's problems in a grid, one row each, with the summary line
// above. Choosing a triangle row asks the main window to select that triangle; a double click
// asks it to zoom to the selection. The window holds references to the model's triangles and
// never frees them.
#include "HealthCheck.h"

#include <QWidget>
#include <functional>

class QLabel;
class QTableView;
class THealthCheckRows;

class TfrmHealthCheck : public QWidget, public THealthReport {
public:
    explicit TfrmHealthCheck(QWidget* parent = nullptr);

    // Replaces the rows and the summary with the check of the model.
    void CheckModel(const TVandrelTINModel& model);
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

private:
    void StringGridClick(int row);
    void StringGridDblClick();

    QLabel* lblSummary;
    QTableView* StringGrid;
    THealthCheckRows* FRows;
};
