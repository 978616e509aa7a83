#include "ReportWindow.h"
#include "WindowPlaces.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

TReportWindow::TReportWindow(const QString& name, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Tool) {
    setObjectName(name);
    setWindowTitle(title);
    lblReport = new QLabel(this);
    lblReport->setObjectName("lblReport");
    lblReport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FButtons = new QHBoxLayout;
    FButtons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblReport, 1);
    layout->addLayout(FButtons);
    for (const auto& [text, name] : {std::pair{"&Copy", "btnCopy"}, {"C&lose", "btnClose"}}) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        FButtons->addWidget(button);
    }
    connect(findChild<QPushButton*>("btnCopy"), &QPushButton::clicked, this,
            [this] { btnCopyClick(); });
    connect(findChild<QPushButton*>("btnClose"), &QPushButton::clicked, this, &QWidget::close);
}

QPushButton* TReportWindow::AddButton(const QString& text, const QString& name) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    FButtons->insertWidget(FButtons->count() - 1, button); // before Close
    return button;
}

void TReportWindow::AddControlRow(QWidget* label, QWidget* control) {
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(control);
    row->addStretch(1);
    auto* rows = static_cast<QVBoxLayout*>(layout());
    rows->insertLayout(rows->count() - 1, row);
}

void TReportWindow::ShowText(const QString& text) {
    FText = text;
    lblReport->setText(text.trimmed());
    adjustSize();
    ShowToolWindow(*this);
}

QString TReportWindow::Text() const {
    return FText;
}

void TReportWindow::btnCopyClick() {
    QApplication::clipboard()->setText(FText);
}
