#include "BuildSurfaceDialog.h"
#include "build/SurveyPoints.h"
#include "platform/NumberText.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {
// A line of file names, separated by semicolons, with a button that picks them.
QLineEdit* FileField(QWidget* owner, QFormLayout* form, const QString& label, const char* name,
                     bool several, const QString& filter) {
    auto* row = new QHBoxLayout;
    auto* text = new QLineEdit(owner);
    text->setObjectName(name);
    auto* browse = new QPushButton("...", owner);
    browse->setMaximumWidth(32);
    QObject::connect(browse, &QPushButton::clicked, owner, [=] {
        const QStringList chosen =
            several ? QFileDialog::getOpenFileNames(owner, label, QString(), filter)
                    : QStringList{QFileDialog::getOpenFileName(owner, label, QString(), filter)};
        if (!chosen.isEmpty() && !chosen.first().isEmpty())
            text->setText(chosen.join("; "));
    });
    row->addWidget(text);
    row->addWidget(browse);
    form->addRow(label, row);
    return text;
}

QStringList Names(const QLineEdit* text) {
    QStringList names;
    for (const QString& name : text->text().split(';', Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    return names;
}
} // namespace

TfrmBuildSurface::TfrmBuildSurface(QWidget* parent) : QDialog(parent) {
    setObjectName("frmBuildSurface");
    setWindowTitle("Build surface");
    auto* form = new QFormLayout(this);
    const QString gis = "GIS and CAD files (*.geojson *.json *.gpkg *.shp *.dxf);;All files (*)";
    txtPoints = FileField(this, form, "Points:", "txtPoints", true,
                          "Survey points (*.csv *.txt *.xyz *.pnezd *.las *.geojson *.json *.gpkg "
                          "*.shp *.dxf *.ply *.obj);;All files (*)");
    txtBreaklines = FileField(this, form, "Breaklines:", "txtBreaklines", true, gis);
    txtBoundary = FileField(this, form, "Boundary:", "txtBoundary", false, gis);
    txtColumns = new QLineEdit(this);
    txtColumns->setObjectName("txtColumns");
    txtColumns->setPlaceholderText("from the file, or such as PNEZD");
    form->addRow("Text columns:", txtColumns);
    txtClasses = new QLineEdit(this);
    txtClasses->setObjectName("txtClasses");
    txtClasses->setPlaceholderText("all, or such as 2");
    form->addRow("LAS classes:", txtClasses);
    txtMaxEdge = new QLineEdit(this);
    txtMaxEdge->setObjectName("txtMaxEdge");
    txtMaxEdge->setPlaceholderText("none");
    form->addRow("Longest outline side:", txtMaxEdge);
    txtName = new QLineEdit("Surface", this);
    txtName->setObjectName("txtName");
    form->addRow("Model name:", txtName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, sizeHint().height());
}

std::optional<TBuildRequest> TfrmBuildSurface::Request(QString& problem) const {
    TBuildRequest request;
    request.Files.Points = Names(txtPoints);
    request.Files.Breaklines = Names(txtBreaklines);
    const QStringList boundary = Names(txtBoundary);
    request.Files.Boundary = boundary.value(0);
    request.Files.Columns = txtColumns->text().trimmed();
    request.Name = txtName->text().trimmed();
    if (request.Files.Points.isEmpty()) {
        problem = "Choose the files of the survey points.";
        return std::nullopt;
    }
    if (!request.Files.Columns.isEmpty() && !ColumnLettersValid(request.Files.Columns)) {
        problem = "The text columns are letters, one each of N, E and Z, with P and D as they "
                  "come, such as PNEZD or PENZD.";
        return std::nullopt;
    }
    if (const QString classes = txtClasses->text().trimmed();
        !classes.isEmpty() && !ClassesFromText(classes, request.Files.Classes)) {
        problem = "The LAS classes are whole numbers 0 to 255, with commas.";
        return std::nullopt;
    }
    if (!txtMaxEdge->text().trimmed().isEmpty()) {
        bool ok = false;
        const double length = QLocale::system().toDouble(txtMaxEdge->text().trimmed(), &ok);
        if (!ok || !(length > 0)) {
            problem = "The longest outline side is a length greater than 0.";
            return std::nullopt;
        }
        request.Options.MaxEdge = length;
    }
    return request;
}

void TfrmBuildSurface::Accept() {
    QString problem;
    if (Request(problem))
        return accept();
    QMessageBox::warning(this, windowTitle(), problem);
}

std::optional<TBuildRequest> AskBuildRequest(QWidget* parent) {
    TfrmBuildSurface dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QString problem;
    return dialog.Request(problem);
}
