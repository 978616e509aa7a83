#include "GridDialog.h"
#include "Dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
QDoubleSpinBox* NumberBox(QWidget* parent, double value, double minimum, const char* name) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, 1e12);
    box->setDecimals(3);
    box->setValue(value);
    return box;
}
} // namespace

TGridDialog::TGridDialog(double suggestedCell, const std::array<double, 4>& modelExtent,
                         QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Export elevation grid");
    auto* form = new QFormLayout(this);
    txtCell = NumberBox(this, suggestedCell, 0.001, "txtCell");
    txtCell->setMaximum(1e9);
    form->addRow("Cell size:", txtCell);
    chkExtent = new QCheckBox("On an extent of its own, from its north-west corner", this);
    chkExtent->setObjectName("chkExtent");
    form->addRow(chkExtent);
    const char* names[] = {"txtMinX", "txtMinY", "txtMaxX", "txtMaxY"};
    const char* labels[] = {"West (x min):", "South (y min):", "East (x max):", "North (y max):"};
    for (size_t k = 0; k < 4; ++k) {
        txtExtent[k] = NumberBox(this, modelExtent[k], -1e12, names[k]);
        txtExtent[k]->setEnabled(false);
        form->addRow(labels[k], txtExtent[k]);
        connect(chkExtent, &QCheckBox::toggled, txtExtent[k], &QWidget::setEnabled);
    }
    txtLike = new QLineEdit(this);
    txtLike->setObjectName("txtLike");
    txtLike->setPlaceholderText("another GeoTIFF: its extent, cells and system");
    txtLike->setMinimumWidth(300);
    auto* browse = new QPushButton("&Browse...", this);
    auto* like = new QHBoxLayout;
    like->addWidget(txtLike, 1);
    like->addWidget(browse);
    form->addRow("Like the grid of:", like);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString name =
            AskOpenFileName(this, "Like the grid of", "GeoTIFF grids (*.tif *.tiff)");
        if (!name.isEmpty())
            txtLike->setText(name);
    });
    // A grid to follow takes the place of the cell size and the extent.
    connect(txtLike, &QLineEdit::textChanged, this, [this](const QString& text) {
        txtCell->setEnabled(text.isEmpty());
        chkExtent->setEnabled(text.isEmpty());
        for (QDoubleSpinBox* box : txtExtent)
            box->setEnabled(text.isEmpty() && chkExtent->isChecked());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TGridRequest TGridDialog::Request() const {
    TGridRequest request;
    request.Cell = txtCell->value();
    request.Like = txtLike->text().trimmed();
    if (request.Like.isEmpty() && chkExtent->isChecked())
        request.Extent = {txtExtent[0]->value(), txtExtent[1]->value(), txtExtent[2]->value(),
                          txtExtent[3]->value()};
    return request;
}

std::optional<TGridRequest>
TGridDialog::Ask(double suggestedCell, const std::array<double, 4>& modelExtent, QWidget* parent) {
    TGridDialog dialog(suggestedCell, modelExtent, parent);
    return dialog.exec() == QDialog::Accepted ? std::optional(dialog.Request()) : std::nullopt;
}
