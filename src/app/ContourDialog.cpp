#include "ContourDialog.h"
#include "platform/ErrorGuard.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QVBoxLayout>

TfrmContours::TfrmContours(const TContourSettings& settings, double minValue, double maxValue,
                           QWidget* parent)
    : QDialog(parent), FSettings(settings), FMinValue(minValue), FMaxValue(maxValue) {
    setObjectName("frmContours");
    setWindowTitle("Contours");
    const QLocale locale = QLocale::system();
    txtInterval = new QLineEdit(locale.toString(settings.Interval, 'g', 15), this);
    txtInterval->setObjectName("txtInterval");
    txtBase = new QLineEdit(locale.toString(settings.Base, 'g', 15), this);
    txtBase->setObjectName("txtBase");
    spnIndexEvery = new QSpinBox(this);
    spnIndexEvery->setObjectName("spnIndexEvery");
    spnIndexEvery->setRange(0, 1000);
    spnIndexEvery->setSpecialValueText("none");
    spnIndexEvery->setValue(settings.IndexEvery);
    chkLabels = new QCheckBox("&Label index contours", this);
    chkLabels->setObjectName("chkLabels");
    chkLabels->setChecked(settings.Labels);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName("lblProblem");
    lblProblem->setWordWrap(true);
    lblProblem->setStyleSheet("color: #b00000");
    auto* range =
        new QLabel(QString("Elevations of the model: %1 to %2")
                       .arg(locale.toString(minValue, 'f', 3), locale.toString(maxValue, 'f', 3)),
                   this);
    auto* form = new QFormLayout;
    form->addRow("&Interval:", txtInterval);
    form->addRow("&Base level:", txtBase);
    form->addRow("Index contour &every:", spnIndexEvery);
    form->addRow(chkLabels);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { RunGuarded([&] { accept(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(range);
    layout->addLayout(form);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);
}

void TfrmContours::accept() {
    const auto result =
        ContourSettingsFromText(txtInterval->text(), txtBase->text(), spnIndexEvery->value(),
                                chkLabels->isChecked(), FMinValue, FMaxValue);
    if (const QString* problem = std::get_if<QString>(&result)) {
        lblProblem->setText(*problem);
        txtInterval->setFocus();
        return;
    }
    FSettings = std::get<TContourSettings>(result);
    QDialog::accept();
}
