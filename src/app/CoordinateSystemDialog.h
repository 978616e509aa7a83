#pragma once
// The coordinate system dialog: the system as text (an EPSG code, WKT or a PROJ string), or one
// chosen from PROJ's list, searched by name or code; Enter accepts. "Save beside the model"
// asks for the .prj file beside the model, as GIS programs read it.
#include <QDialog>

#include <optional>

class QCheckBox;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;

struct TSystemChoice {
    QString Text; // empty: no system
    bool SaveBeside = false;
};

class TCoordinateSystemDialog : public QDialog {
public:
    TCoordinateSystemDialog(const QString& current, bool canSaveBeside, QWidget* parent);
    TSystemChoice Choice() const;
    // Runs the dialog: the choice, or none when cancelled.
    static std::optional<TSystemChoice> Ask(const QString& current, bool canSaveBeside,
                                            QWidget* parent);

private:
    QLineEdit *txtSystem, *txtSearch;
    QListView* lstSystems;
    QSortFilterProxyModel* FFiltered;
    QCheckBox* chkSaveBeside;
};
