#include "CoordinateSystemDialog.h"
#include "gis/KnownSystems.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QVBoxLayout>

TCoordinateSystemDialog::TCoordinateSystemDialog(const QString& current, bool canSaveBeside,
                                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Coordinate system");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("The model's coordinate system, as an EPSG code (EPSG:32616),\n"
                                 "WKT or a PROJ string; empty for none:"));
    txtSystem = new QLineEdit(current, this);
    txtSystem->setObjectName("txtSystem");
    layout->addWidget(txtSystem);
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName("txtSearch");
    txtSearch->setPlaceholderText("Search the list by name or code");
    txtSearch->setClearButtonEnabled(true);
    layout->addWidget(txtSearch);
    QStringList rows;
    for (const TKnownSystem& system : KnownSystems())
        rows << system.Code + "  " + system.Name;
    FFiltered = new QSortFilterProxyModel(this);
    FFiltered->setSourceModel(new QStringListModel(rows, this));
    FFiltered->setFilterCaseSensitivity(Qt::CaseInsensitive);
    lstSystems = new QListView(this);
    lstSystems->setObjectName("lstSystems");
    lstSystems->setModel(FFiltered);
    lstSystems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSystems->setUniformItemSizes(true); // thousands of rows
    layout->addWidget(lstSystems, 1);
    chkSaveBeside = new QCheckBox("Save beside the model", this);
    chkSaveBeside->setObjectName("chkSaveBeside");
    chkSaveBeside->setToolTip("Writes the system as the .prj file beside the model file");
    chkSaveBeside->setEnabled(canSaveBeside);
    layout->addWidget(chkSaveBeside);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true); // Enter accepts
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(txtSearch, &QLineEdit::textChanged, FFiltered,
            &QSortFilterProxyModel::setFilterFixedString);
    // A row chosen puts its code in the text; a double click also accepts.
    connect(lstSystems->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    txtSystem->setText(index.data().toString().section(' ', 0, 0));
            });
    connect(lstSystems, &QListView::doubleClicked, this, &QDialog::accept);
    resize(520, 440);
}

TSystemChoice TCoordinateSystemDialog::Choice() const {
    return {txtSystem->text(), chkSaveBeside->isEnabled() && chkSaveBeside->isChecked()};
}

std::optional<TSystemChoice> TCoordinateSystemDialog::Ask(const QString& current,
                                                          bool canSaveBeside, QWidget* parent) {
    TCoordinateSystemDialog dialog(current, canSaveBeside, parent);
    return dialog.exec() == QDialog::Accepted ? std::optional(dialog.Choice()) : std::nullopt;
}
