// File > Save and Save as...: the model on show written as a model file, or in another
// program's format.
#include "MainWindow.h"
#include "export/ModelWriters.h"
#include "export/SavedFile.h"
#include "platform/Exceptions.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QFileInfo>
#include <QUndoStack>

namespace {
const char ModelFileFilters[] = "Model files (*.vrk);;LandXML files (*.xml);;PLY files (*.ply);;"
                                "Wavefront OBJ files (*.obj);;2DM meshes (*.2dm)";

bool IsModelFile(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare("vrk", Qt::CaseInsensitive) == 0;
}
} // namespace

void TfrmTINMap::CreateSaveActions() {
    mnuFileSave = new QAction("&Save", this);
    mnuFileSave->setObjectName("mnuFileSave");
    mnuFileSave->setShortcut(QKeySequence::Save);
    mnuFileSaveAs = new QAction("Save &as...", this);
    mnuFileSaveAs->setObjectName("mnuFileSaveAs");
    for (QAction* save : {mnuFileSave, mnuFileSaveAs})
        save->setEnabled(false); // until there is a model
    Wire(mnuFileSave, &QAction::triggered, &TfrmTINMap::mnuFileSaveClick);
    Wire(mnuFileSaveAs, &QAction::triggered, &TfrmTINMap::mnuFileSaveAsClick);
}

void TfrmTINMap::ModelFileChanged(const QString& fileName) {
    FModelFile = fileName;
    for (QAction* save : {mnuFileSave, mnuFileSaveAs})
        save->setEnabled(true);
}

void TfrmTINMap::mnuFileSaveClick() {
    // Another program's surface is not written over: it becomes a model file of its own.
    if (!IsModelFile(FModelFile))
        return mnuFileSaveAsClick();
    SaveModelAs(FModelFile);
}

void TfrmTINMap::mnuFileSaveAsClick() {
    const QString fileName = SaveDialog("Save model as", ModelFileFilters, this);
    if (!fileName.isEmpty())
        SaveModelAs(fileName);
}

void TfrmTINMap::SaveModelAs(const QString& fileName) {
    TModelFormat format;
    if (!ModelFormatFromExtension(fileName, format))
        throw Exception(QString("Cannot tell the format of %1: use .vrk, .xml, .ply, .obj or .2dm.")
                            .arg(fileName)
                            .toStdString());
    const std::optional<TSystemName> named = SystemNameOf(FSystem);
    SaveFile(fileName,
             [&](QIODevice& out) { WriteModel(*FModel, format, out, named ? &*named : nullptr); });
    // A model file saved is the file on show from now on; another format is an export.
    if (format == TModelFormat::Vrk) {
        FModelFile = fileName;
        setWindowTitle("VRK Viewer - [" + fileName + "]");
        Edits()->setClean(); // undone back to here, the model is as saved
        setWindowModified(false);
    }
}
