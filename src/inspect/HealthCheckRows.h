#pragma once
// The health check's rows as the grid shows them, produced on demand from a compact record of
// each problem: a check of ten million points keeps 16 bytes a row, not two texts and two
// widget items. Row 0 of the grid is its title row, the table's header; the table's row r is
// grid row r + 1. The grid grows five rows at a time, and rows past the last problem are empty.
#include "HealthCheck.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <cstdint>
#include <vector>

class THealthCheckRows : public QAbstractTableModel, public THealthReport {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Empties the rows and keeps storage for none; a check between Begin and EndCheck tells the
    // view once, at its end, instead of at every row.
    void BeginCheck();
    void EndCheck();
    void Clear();
    // Takes the rows of a check made into other, which keeps none; the view is told once.
    void TakeRows(THealthCheckRows& other);
    void AddProblem(const QString& entity, const QString& problem, TTriangle* triangle) override;
    void AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                          TTriangle* triangle) override;
    int ProblemCount() const { return static_cast<int>(FRows.size()); }
    // Detaches every triangle; true when a row carried one.
    bool ForgetTriangles();

    int GridRowCount() const { return FGridRows; }
    QString Cell(int column, int gridRow) const;
    TTriangle* Triangle(int gridRow) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Entity codes past the kinds name a text of FEntityTexts by the row's number.
    static constexpr uint8_t TextEntity = 0xff;
    struct TRow {
        TTriangle* Triangle;
        int32_t Number;
        uint16_t Problem; // index into FProblemTexts
        uint8_t Entity;   // a TEntityKind, or TextEntity
    };
    static_assert(sizeof(TRow) == 16);

    void Append(const TRow& row);
    uint16_t ProblemCode(const QString& problem);
    const TRow* RowAt(int gridRow) const;

    std::vector<TRow> FRows;
    QStringList FEntityTexts;
    QStringList FProblemTexts;
    QHash<QString, uint16_t> FProblemCodes;
    int FGridRows = 2;
    bool FChecking = false;
};
