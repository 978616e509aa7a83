// The main window's ties to the inspection windows: their creation, their call-backs, their
// steps in opening a file and in selecting a triangle, and the commands that show them.
#include "Components/MapView.h"
#include "MainWindow.h"
#include "inspect/HeaderInfoWindow.h"
#include "inspect/HealthCheckWindow.h"
#include "inspect/TriangleInfoWindow.h"
#include "platform/ErrorGuard.h"
#include "support/AboutBox.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QCoreApplication>
#include <QShortcut>

void TfrmTINMap::CreateInspectionWindows() {
    frmTriInfo = new TfrmTriInfo(this);
    frmHeaderInfo = new TfrmHeaderInfo(this);
    frmHealthCheck = new TfrmHealthCheck(this);
    for (QWidget* tool : {static_cast<QWidget*>(frmTriInfo), static_cast<QWidget*>(frmHeaderInfo),
                          static_cast<QWidget*>(frmHealthCheck)})
        CloseOnEscape(tool);
}

void CloseOnEscape(QWidget* window) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

void TfrmTINMap::ConnectInspectionWindows() {
    auto selected = [this](QObject* sender, TTriangle* triangle) {
        TriangleSelected(sender, triangle);
    };
    frmTriInfo->OnSelectTriangle = selected;
    frmTriInfo->OnClose = [this](QObject*) { TriInfoClose(); };
    frmTriInfo->Model = FModel.get();
    frmTriInfo->OnZoomToTriangle = [this](QObject*) { ZoomToSelectedTriangle(); };
    frmHeaderInfo->OnClose = [this](QObject*) { HeaderInfoClose(); };
    frmHealthCheck->OnSelectTriangle = selected;
    frmHealthCheck->OnZoomToTriangle = [this](QObject*) { ZoomToSelectedTriangle(); };
}

void TfrmTINMap::ReadModel(const std::function<void()>& read) {
    frmTriInfo->Reset();
    try {
        read();
    } catch (...) {
        // A read that failed after the model was emptied leaves the check's rows naming
        // triangles that are gone: they keep their text but select nothing. The map shows the
        // model as it now is, without the selection that went with the old one.
        if (FModel->Triangles().Count() == 0) {
            frmHealthCheck->ForgetTriangles();
            MapView1->Repaint();
        }
        throw;
    }
}

void TfrmTINMap::ShowInspections() {
    frmHeaderInfo->ShowHeader(FModel->Header);
    // The check's rows are seen when its window is: until then it waits for the index that the
    // look-ups under the mouse need.
    frmHealthCheck->CheckModelAhead(*FModel, FModel->IndexAheadDone());
}

void TfrmTINMap::FinishHealthCheck() {
    RunGuarded([&] { frmHealthCheck->FinishCheck(); });
}

void TfrmTINMap::ShowSelectionInfo(TTriangle* triangle) {
    if (triangle)
        frmTriInfo->ShowTriangle(triangle);
}

void TfrmTINMap::TriangleSelected(QObject*, TTriangle* triangle) {
    SelectTriangle(triangle);
}

void TfrmTINMap::TriInfoClose() {
    TriangleInfo1->setChecked(false);
}

void TfrmTINMap::HeaderInfoClose() {
    mnuOptionsFileHeader->setChecked(false);
}

// The item's check mark has already been inverted by the menu when these run.
void TfrmTINMap::TriangleInfo1Click() {
    frmTriInfo->setVisible(TriangleInfo1->isChecked());
}

void TfrmTINMap::mnuOptionsFileHeaderClick() {
    frmHeaderInfo->setVisible(mnuOptionsFileHeader->isChecked());
}

void TfrmTINMap::mnuFileHealthCheckClick() {
    frmHealthCheck->show();
    frmHealthCheck->raise();
}

void TfrmTINMap::MapView1DblClick() {
    if (InProfileMode()) // the double click ends a profile line instead
        return FinishProfileLine();
    if (TriangleInfo1->isChecked())
        return;
    TriangleInfo1->setChecked(true);
    TriangleInfo1Click();
}

void TfrmTINMap::About1Click() {
    TfrmAboutBox box(QCoreApplication::applicationFilePath(), this);
    box.exec();
}
