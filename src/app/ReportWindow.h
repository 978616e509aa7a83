#pragma once
// TReportWindow: a tool window that shows a report as selectable text, with Copy (the text to
// the clipboard) and Close; a report of its own kind adds its buttons before Close.
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

class TReportWindow : public QWidget {
public:
    TReportWindow(const QString& name, const QString& title, QWidget* parent);
    // Shows the text and brings the window up.
    void ShowText(const QString& text);
    QString Text() const;
    void btnCopyClick();

protected:
    QPushButton* AddButton(const QString& text, const QString& name);
    // A row of its own above the buttons: a label and its control.
    void AddControlRow(QWidget* label, QWidget* control);

private:
    QLabel* lblReport;
    QHBoxLayout* FButtons;
    QString FText;
};
