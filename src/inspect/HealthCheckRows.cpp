#include "HealthCheckRows.h"

#include <stdexcept>
#include <utility>

void THealthCheckRows::BeginCheck() {
    beginResetModel();
    FChecking = true;
    Clear();
}

void THealthCheckRows::EndCheck() {
    FChecking = false;
    endResetModel();
}

void THealthCheckRows::Clear() {
    std::vector<TRow>().swap(FRows);
    FEntityTexts = {};
    FProblemTexts = {};
    FProblemCodes = {};
    FGridRows = 2;
}

void THealthCheckRows::TakeRows(THealthCheckRows& other) {
    beginResetModel();
    Clear();
    std::swap(FRows, other.FRows);
    std::swap(FEntityTexts, other.FEntityTexts);
    std::swap(FProblemTexts, other.FProblemTexts);
    std::swap(FProblemCodes, other.FProblemCodes);
    std::swap(FGridRows, other.FGridRows);
    endResetModel();
}

void THealthCheckRows::AddProblem(const QString& entity, const QString& problem,
                                  TTriangle* triangle) {
    const auto text = static_cast<int32_t>(FEntityTexts.size());
    FEntityTexts.append(entity);
    Append({triangle, text, ProblemCode(problem), TextEntity});
}

void THealthCheckRows::AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                                        TTriangle* triangle) {
    Append({triangle, number, ProblemCode(problem), static_cast<uint8_t>(kind)});
}

void THealthCheckRows::Append(const TRow& row) {
    // The next problem goes to grid row FRows.size() + 1.
    const int gridRow = static_cast<int>(FRows.size()) + 1;
    FRows.push_back(row);
    if (gridRow < FGridRows)
        return;
    if (FChecking) {
        FGridRows = gridRow + 5;
        return;
    }
    beginInsertRows({}, FGridRows - 1, gridRow + 5 - 2);
    FGridRows = gridRow + 5;
    endInsertRows();
}

uint16_t THealthCheckRows::ProblemCode(const QString& problem) {
    if (const auto known = FProblemCodes.constFind(problem); known != FProblemCodes.cend())
        return *known;
    if (FProblemTexts.size() > UINT16_MAX)
        throw std::length_error("Too many different problem texts");
    const auto code = static_cast<uint16_t>(FProblemTexts.size());
    FProblemTexts.append(problem);
    FProblemCodes.insert(problem, code);
    return code;
}

bool THealthCheckRows::ForgetTriangles() {
    bool any = false;
    for (TRow& row : FRows) {
        any = any || row.Triangle;
        row.Triangle = nullptr;
    }
    return any;
}

const THealthCheckRows::TRow* THealthCheckRows::RowAt(int gridRow) const {
    return gridRow >= 1 && gridRow <= static_cast<int>(FRows.size())
               ? &FRows[static_cast<size_t>(gridRow - 1)]
               : nullptr;
}

QString THealthCheckRows::Cell(int column, int gridRow) const {
    if (gridRow == 0)
        return headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    const TRow* row = RowAt(gridRow);
    if (!row)
        return {};
    if (column == 1)
        return FProblemTexts[row->Problem];
    return row->Entity == TextEntity
               ? FEntityTexts[row->Number]
               : EntityText(static_cast<TEntityKind>(row->Entity), row->Number);
}

TTriangle* THealthCheckRows::Triangle(int gridRow) const {
    const TRow* row = RowAt(gridRow);
    return row ? row->Triangle : nullptr;
}

int THealthCheckRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FGridRows - 1;
}

int THealthCheckRows::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant THealthCheckRows::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Cell(index.column(), index.row() + 1);
}

QVariant THealthCheckRows::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("Entity") : QStringLiteral("Problem");
}
