#pragma once
// TfrmHeaderInfo: every field of the model file's header, one row each, with its value text.
#include "vrk/VRKHeader.h"

#include <QWidget>
#include <functional>

class QHeaderView;
class QTableView;
class QTableWidget;

class TfrmHeaderInfo : public QWidget {
public:
    explicit TfrmHeaderInfo(QWidget* parent = nullptr);

    void ShowHeader(const TVRKHeader& header);
    void AddField(const QString& name, const QString& value);

    int RowCount() const;
    QString Cell(int column, int row) const;
    int ColumnWidth(int column) const;
    QHeaderView* HeaderControl() const { return HeaderControl1; }

    std::function<void(QObject* sender)> OnClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void HeaderControl1SectionTrack();
    void PlaceFixedRow();

    QHeaderView* HeaderControl1;
    QTableWidget* StringGrid;
    // The grid's first row drawn again over its top, where it stays while the rest scrolls.
    QTableView* FFixedRow;
    int FNextRow = 0;
    bool FPlaced = false;
};
