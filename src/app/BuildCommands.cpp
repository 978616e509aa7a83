// Terrain > Build surface..., and what keeps a built or changed model from being lost unsaved.
#include "BuildSurfaceDialog.h"
#include "MainWindow.h"
#include "support/WaitCursor.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QCloseEvent>
#include <QMessageBox>
#include <QStatusBar>

void TfrmTINMap::CreateBuildActions() {
    mnuTerrainBuildSurface = new QAction("Bu&ild surface...", this);
    mnuTerrainBuildSurface->setObjectName("mnuTerrainBuildSurface");
    Wire(mnuTerrainBuildSurface, &QAction::triggered, &TfrmTINMap::mnuTerrainBuildSurfaceClick);
    BuildSurfaceDialog = [](QWidget* parent) { return AskBuildRequest(parent); };
    UnsavedDialog = [](QWidget* parent) {
        const auto answer = QMessageBox::question(
            parent, "VRK Viewer", "The model on show has not been saved. Save it first?",
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save      ? TUnsavedAnswer::Save
               : answer == QMessageBox::Discard ? TUnsavedAnswer::Discard
                                                : TUnsavedAnswer::Cancel;
    };
}

void TfrmTINMap::mnuTerrainBuildSurfaceClick() {
    if (!MayDiscardModel())
        return;
    const std::optional<TBuildRequest> request = BuildSurfaceDialog(this);
    if (!request)
        return;
    TTriangulationReport report;
    TSurfaceData surface;
    {
        const TWaitCursor wait;
        surface = BuildSurface(request->Files, request->Options, report);
    }
    surface.Name = request->Name.isEmpty() ? QString("Surface") : request->Name;
    const QString name = surface.Name;
    ShowModel([&] { BuildModel(*FModel, std::move(surface)); });
    ModelFileChanged(QString()); // no file of its own: unsaved until saved as a model file
    setWindowTitle("VRK Viewer - [" + name + "][*]");
    setWindowModified(true);
    SetCoordinateSystem(std::nullopt);
    if (report.Repeated > 0)
        statusBar()->showMessage(QString("%1 points at the place of an earlier one were left out "
                                         "(%2 of them with another elevation).")
                                     .arg(report.Repeated)
                                     .arg(report.RepeatedOtherValue),
                                 15000);
}

bool TfrmTINMap::MayDiscardModel() {
    if (!isWindowModified())
        return true;
    switch (UnsavedDialog(this)) {
    case TUnsavedAnswer::Save:
        mnuFileSaveClick();
        return !isWindowModified(); // saved as a model file, not cancelled
    case TUnsavedAnswer::Discard:
        return true;
    default:
        return false;
    }
}

void TfrmTINMap::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    RunGuarded([&] { mayClose = MayDiscardModel(); });
    if (!mayClose)
        return event->ignore();
    QMainWindow::closeEvent(event);
}
