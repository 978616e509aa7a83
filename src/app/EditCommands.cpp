// The Edit menu: mending the model on show, every edit on the undo stack. The model is edited
// as its points and faces; after each edit, undo or redo it is made again from them, and every
// layer, window and check follows as after a read, the view staying where it is.
#include "Components/MapView.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "edit/EditCommand.h"
#include "model/Geometry.h"
#include "platform/NumberText.h"
#include "support/WaitCursor.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QUndoStack>

namespace {
constexpr int MessageMilliseconds = 10000;

// The place of a triangle among the model's, which is its face's in the surface edited.
std::optional<uint32_t> FaceOf(const TVandrelTINModel& model, const TTriangle* triangle) {
    if (!triangle || triangle->Number < 1 || triangle->Number > model.Triangles().Count() ||
        model.Triangles().TriangleAt(triangle->Number - 1) != triangle)
        return std::nullopt;
    return static_cast<uint32_t>(triangle->Number - 1);
}

QString NumberText(double value) {
    return QLocale::system().toString(value, 'f', 3);
}
} // namespace

void TfrmTINMap::CreateEditActions() {
    FEdits = new QUndoStack(this);
    // The stack's place is known once an edit, undo or redo is done: then the title says
    // whether the model is as saved (or read). A surface built, never saved, is not.
    connect(FEdits, &QUndoStack::indexChanged, this, [this] {
        if (FEditedSurface)
            setWindowModified(!FEdits->isClean() || FModelFile.isEmpty());
    });
    mnuEditUndo = FEdits->createUndoAction(this, "&Undo");
    mnuEditUndo->setObjectName("mnuEditUndo");
    mnuEditUndo->setShortcut(QKeySequence("Ctrl+Z"));
    mnuEditRedo = FEdits->createRedoAction(this, "&Redo");
    mnuEditRedo->setObjectName("mnuEditRedo");
    mnuEditRedo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    auto item = [this](const char* name, const char* text, void (TfrmTINMap::*handler)()) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        Wire(action, &QAction::triggered, handler);
        return action;
    };
    mnuEditDeleteTriangle =
        item("mnuEditDeleteTriangle", "&Delete triangle", &TfrmTINMap::mnuEditDeleteTriangleClick);
    mnuEditDeleteTriangle->setShortcut(QKeySequence::Delete);
    mnuEditDeleteInside = item("mnuEditDeleteInside", "Delete triangles &inside a polygon",
                               &TfrmTINMap::mnuEditDeleteInsideClick);
    mnuEditDeleteLong = item("mnuEditDeleteLong", "Delete &long outline triangles...",
                             &TfrmTINMap::mnuEditDeleteLongClick);
    mnuEditSwapSide = item("mnuEditSwapSide", "&Swap side...", &TfrmTINMap::mnuEditSwapSideClick);
    mnuEditAddPoint = item("mnuEditAddPoint", "&Add point", &TfrmTINMap::mnuEditAddPointClick);
    mnuEditDeletePoint =
        item("mnuEditDeletePoint", "Delete &point", &TfrmTINMap::mnuEditDeletePointClick);
    mnuEditAddBreakline =
        item("mnuEditAddBreakline", "Add &breakline", &TfrmTINMap::mnuEditAddBreaklineClick);
    for (QAction* mode :
         {mnuEditDeleteInside, mnuEditAddPoint, mnuEditDeletePoint, mnuEditAddBreakline})
        mode->setCheckable(true);

    EditNumberDialog = [](const QString& label, double proposed, QWidget* parent) {
        bool ok = false;
        const double value =
            QInputDialog::getDouble(parent, "Edit", label, proposed, -1e12, 1e12, 3, &ok);
        return ok ? std::optional(value) : std::nullopt;
    };
    EditTextDialog = [](const QString& label, const QString& proposed, QWidget* parent) {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, "Edit", label, QLineEdit::Normal, proposed, &ok);
        return ok ? std::optional(text) : std::nullopt;
    };
    ChoiceDialog = [](const QString& title, const QString& label, const QStringList& items,
                      QWidget* parent) { return AskChoice(parent, title, label, items); };
}

void TfrmTINMap::CreateEditMenu() {
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addActions({mnuEditUndo, mnuEditRedo});
    edit->addSeparator();
    edit->addActions(
        {mnuEditDeleteTriangle, mnuEditDeleteInside, mnuEditDeleteLong, mnuEditSwapSide});
    edit->addSeparator();
    edit->addActions({mnuEditAddPoint, mnuEditDeletePoint, mnuEditAddBreakline});
}

void TfrmTINMap::ForgetEdits() {
    FEditedSurface.reset();
    FEdits->clear();
}

void TfrmTINMap::MakeEdit(const QString& name,
                          const std::function<TSurfaceChange(const TSurfaceData&)>& edit) {
    const TWaitCursor wait;
    if (!FEditedSurface)
        FEditedSurface = SurfaceOfModel(*FModel);
    TSurfaceChange change;
    try {
        change = edit(*FEditedSurface);
    } catch (const EEditRefused& refused) {
        statusBar()->showMessage(refused.what(), MessageMilliseconds);
        return;
    }
    ApplyChange(*FEditedSurface, change);
    if (!windowTitle().contains("[*]")) // the title marks an edited model
        setWindowTitle(windowTitle() + "[*]");
    FEdits->push(new TEditCommand(name, *FEditedSurface, std::move(change),
                                  [this] { RunGuarded([&] { ShowEditedSurface(); }); }));
    ShowEditedSurface();
}

void TfrmTINMap::ShowEditedSurface() {
    ShowModel([&] { BuildModel(*FModel, TSurfaceData(*FEditedSurface)); }, true);
}

void TfrmTINMap::mnuEditDeleteTriangleClick() {
    const std::optional<uint32_t> face = FaceOf(*FModel, FSelectedTriangle);
    if (!face)
        return statusBar()->showMessage("Select a triangle to delete first.", MessageMilliseconds);
    MakeEdit("Delete triangle", [&](const TSurfaceData& s) { return DeleteFaces(s, {*face}); });
}

void TfrmTINMap::mnuEditDeleteInsideClick() {
    StartLineMode(TLineUse::DeleteInside);
    statusBar()->showMessage("Click the polygon's corners; double-click the last one.",
                             MessageMilliseconds);
}

void TfrmTINMap::mnuEditDeleteLongClick() {
    double minE, minN, maxE, maxN;
    FModel->Vertices().GetFiniteExtent(minE, minN, maxE, maxN);
    const double proposed = std::max(maxE - minE, maxN - minN) / 10;
    const std::optional<double> length = EditNumberDialog(
        "Delete outline triangles with a side longer than:", proposed > 0 ? proposed : 1, this);
    if (!length)
        return;
    if (!(*length > 0))
        return statusBar()->showMessage("The length must be greater than 0.", MessageMilliseconds);
    MakeEdit("Delete long outline triangles",
             [&](const TSurfaceData& s) { return DeleteFaces(s, LongOutlineFaces(s, *length)); });
}

void TfrmTINMap::mnuEditSwapSideClick() {
    const std::optional<uint32_t> face = FaceOf(*FModel, FSelectedTriangle);
    if (!face)
        return statusBar()->showMessage("Select a triangle first: its side with a neighbour is "
                                        "swapped.",
                                        MessageMilliseconds);
    std::vector<uint32_t> neighbours;
    QStringList items;
    for (int k = 1; k <= 3; ++k)
        if (const std::optional<uint32_t> other =
                FaceOf(*FModel, FSelectedTriangle->Neighbour(k))) {
            neighbours.push_back(*other);
            items << QString("Side %1, with triangle %2").arg(k).arg(*other + 1);
        }
    if (neighbours.empty())
        return statusBar()->showMessage("The triangle has no neighbour.", MessageMilliseconds);
    std::optional<int> chosen = 0;
    if (neighbours.size() > 1)
        chosen = ChoiceDialog("Edit", "Swap the side the triangle shares with:", items, this);
    if (!chosen || *chosen < 0 || *chosen >= int(neighbours.size()))
        return;
    const uint32_t other = neighbours[size_t(*chosen)];
    MakeEdit("Swap side", [&](const TSurfaceData& s) { return SwapSide(s, *face, other); });
}

void TfrmTINMap::mnuEditAddPointClick() {
    StartLineMode(TLineUse::AddPoint);
    statusBar()->showMessage("Click where the point goes.", MessageMilliseconds);
}

void TfrmTINMap::mnuEditDeletePointClick() {
    StartLineMode(TLineUse::DeletePoint);
    statusBar()->showMessage("Click the point to delete.", MessageMilliseconds);
}

void TfrmTINMap::mnuEditAddBreaklineClick() {
    StartLineMode(TLineUse::Breakline);
    statusBar()->showMessage("Click the breakline's corners; double-click the last one.",
                             MessageMilliseconds);
}

bool TfrmTINMap::IsEditClick() const {
    return FLineUse == TLineUse::AddPoint || FLineUse == TLineUse::DeletePoint;
}

void TfrmTINMap::EditClick(const TPlanPoint& at) {
    double value = NullValue;
    TTriangle* triangle = FModel->FindTriangle(at.X, at.Y, value);
    if (!triangle || !triangle->HasCorners())
        return statusBar()->showMessage("There is no surface there.", MessageMilliseconds);
    if (FLineUse == TLineUse::AddPoint) {
        const std::optional<double> elevation =
            EditNumberDialog("Elevation of the new point:", value, this);
        if (elevation)
            MakeEdit("Add point", [&](const TSurfaceData& s) {
                return AddPoint(s, {at.X, at.Y, *elevation});
            });
        return;
    }
    // The triangle's corner nearest the click.
    TTriVertex* nearest = triangle->Vertex(1);
    for (int k = 2; k <= 3; ++k) {
        const TTriVertex* v = triangle->Vertex(k);
        if (std::hypot(v->Easting - at.X, v->Northing - at.Y) <
            std::hypot(nearest->Easting - at.X, nearest->Northing - at.Y))
            nearest = triangle->Vertex(k);
    }
    const auto point = static_cast<uint32_t>(nearest->Number - 1);
    MakeEdit("Delete point", [&](const TSurfaceData& s) { return DeletePoint(s, point); });
}

void TfrmTINMap::FinishEditLine() {
    const std::vector<TPlanPoint> line = std::move(FProfileLine);
    FProfileLine.clear();
    MapView1->viewport()->update();
    if (FLineUse == TLineUse::DeleteInside) {
        if (line.size() < 3)
            return statusBar()->showMessage("A polygon needs three corners.", MessageMilliseconds);
        return MakeEdit("Delete triangles inside a polygon", [&](const TSurfaceData& s) {
            return DeleteFaces(s, FacesInsidePolygon(s, line));
        });
    }
    // The breakline's elevations: the surface's at its corners, as proposed, or typed.
    QStringList proposed;
    for (const TPlanPoint& corner : line) {
        double value = NullValue;
        FModel->FindTriangle(corner.X, corner.Y, value);
        proposed << (value == NullValue ? QString("?") : NumberText(value));
    }
    const std::optional<QString> text = EditTextDialog(
        "Elevations of the breakline's corners (one for all, or one each):", proposed.join("  "),
        this);
    if (!text)
        return;
    const QStringList words = text->split(' ', Qt::SkipEmptyParts);
    std::vector<TSurfacePoint> corners;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const QString word = words.size() == 1 ? words[0] : words.value(qsizetype(i));
        bool ok = false;
        const double z = QLocale::system().toDouble(word, &ok);
        if (!ok || (words.size() != 1 && words.size() != qsizetype(line.size())))
            return statusBar()->showMessage("Give one elevation for every corner, or one for "
                                            "all.",
                                            MessageMilliseconds);
        corners.push_back({line[i].X, line[i].Y, z});
    }
    MakeEdit("Add breakline", [&](const TSurfaceData& s) { return AddBreakline(s, corners); });
}
