#include "MainWindow.h"
#include "Components/ElidedLabel.h"
#include "Components/MapView.h"
#include "PictureExport.h"
#include "RecentFiles.h"
#include "WindowPlaces.h"
#include "import/SurfaceReaders.h"
#include "inspect/TriangleDescription.h"
#include "model/Geometry.h"
#include "platform/ErrorGuard.h"
#include "platform/Exceptions.h"
#include "platform/NumberText.h"
#include "platform/Streams.h"
#include "support/ToolPictures.h"
#include "support/WaitCursor.h"
#include "view3d/TerrainView3D.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>

#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {
constexpr int StatusPanelWidth = 200;
constexpr int ClickTolerance = 5;
} // namespace

TfrmTINMap::TfrmTINMap(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), FModel(std::make_unique<TVandrelTINModel>()),
      FArguments(std::move(arguments)) {
    setObjectName("frmTINMap");
    setWindowTitle("VRK Viewer");
    move(301, 107);
    resize(515, 392);
    FitOnScreen(*this); // on a small screen, or one of scale 2

    MapView1 = new TMapView(this);
    MapView1->setObjectName("MapView1");
    TMapViewState& view = MapView1->State();
    view.MinZoom = 0.001;
    view.MinZoomDist = 0.001;
    view.Border = 0.1;
    view.CrossSize = 6;
    view.DumbellSize = 10;
    view.MinZoomSize = 10;
    view.DisplayConversion = 1;
    MapView1->SetOptions(moMouseZoom | moShowScale);
    MapView1->SetColor(FromQColor(palette().color(QPalette::Base)));
    setCentralWidget(MapView1);
    setAcceptDrops(true);

    CreateActions();
    CreateSaveActions();
    CreateTerrainActions();
    CreateBuildActions();
    CreateEditActions();
    CreateMenu();
    CreateToolBar();
    CreateStatusBar();
    CreateInspectionWindows();
    OpenDialog = [](QWidget* parent) {
        QFileDialog dialog(parent);
        dialog.setNameFilters(
            {"Vandrel TIN Models (*.vrk)", "Other surfaces (*.xml *.landxml *.ply *.obj *.2dm)"});
        dialog.setDefaultSuffix("vrk");
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (const QString folder = RecentFiles::LastFolder(); !folder.isEmpty())
            dialog.setDirectory(folder);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    PrintDialog = [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    // The view's events reach the window once every control they touch exists.
    MapView1->OnPaint = [this](TMapView*) { MapView1Paint(); };
    MapView1->OnViewChanged = [this](TMapView*) { MapView1ViewChanged(); };
    MapView1->OnMouseDown = [this](TMapView*, Qt::MouseButton, Qt::KeyboardModifiers, int x,
                                   int y) { MapView1MouseDown(x, y); };
    MapView1->OnMouseMove = [this](TMapView*, Qt::KeyboardModifiers, int x, int y) {
        MapView1MouseMove(x, y);
    };
    MapView1->OnMouseUp = [this](TMapView*, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        MapView1MouseUp(x, y);
    };
    MapView1->OnDblClick = [this](TMapView*) { MapView1DblClick(); };
    MapView1->OnPaintOverlay = [this](TMapView*, QPainter& painter) {
        DrawTerrainOverlay(painter);
    };
}

TfrmTINMap::~TfrmTINMap() {
    // The view may still paint or resize while the window goes; it must not reach the model or
    // the controls then.
    MapView1->OnPaint = nullptr;
    MapView1->OnViewChanged = nullptr;
    MapView1->OnMouseMove = nullptr;
    MapView1->OnPaintOverlay = nullptr;
    // The print layout draws with the window and prints on its printer, which go before the
    // window's children do.
    delete frmPrintLayout;
    // The 3D view, a child freed after the model, stops building its tiles from it now.
    if (frm3DView)
        frm3DView->SetModel(nullptr);
    // So does the health check still running over it.
    FinishHealthCheck();
}

void TfrmTINMap::CreateActions() {
    auto action = [this](const char* name, const QString& text) {
        auto* item = new QAction(text, this);
        item->setObjectName(name);
        return item;
    };
    Open1 = action("Open1", "&Open...");
    Open1->setShortcut(QKeySequence::Open);
    mnuFileHealthCheck = action("mnuFileHealthCheck", "&Health check");
    Exit1 = action("Exit1", "E&xit");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuOptionsEdges = action("mnuOptionsEdges", "&Edges");
    mnuOptionsTriangles = action("mnuOptionsTriangles", "&Triangles");
    mnuOptionsStartPoints = action("mnuOptionsStartPoints", "&Start points");
    mnuOptionsLimits = action("mnuOptionsLimits", "&Limits");
    TriangleInfo1 = action("TriangleInfo1", "Triangle &Info");
    mnuOptionsFileHeader = action("mnuOptionsFileHeader", "File &Header");
    About1 = action("About1", "&About");
    for (QAction* option :
         {mnuOptionsEdges, mnuOptionsTriangles, mnuOptionsStartPoints, mnuOptionsLimits}) {
        option->setCheckable(true);
        option->setChecked(true);
        Wire(option, &QAction::triggered, &TfrmTINMap::OptionsClick);
    }
    TriangleInfo1->setCheckable(true);
    mnuOptionsFileHeader->setCheckable(true);
    Wire(About1, &QAction::triggered, &TfrmTINMap::About1Click);
    Wire(TriangleInfo1, &QAction::triggered, &TfrmTINMap::TriangleInfo1Click);
    Wire(mnuOptionsFileHeader, &QAction::triggered, &TfrmTINMap::mnuOptionsFileHeaderClick);
    Wire(mnuFileHealthCheck, &QAction::triggered, &TfrmTINMap::mnuFileHealthCheckClick);
    Wire(Open1, &QAction::triggered, &TfrmTINMap::Open1Click);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    mnuFileExportPicture = action("mnuFileExportPicture", "Export &picture...");
    Wire(mnuFileExportPicture, &QAction::triggered, &TfrmTINMap::mnuFileExportPictureClick);
    mnuFilePrint = action("mnuFilePrint", "P&rint...");
    mnuFilePrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Wire(mnuFilePrint, &QAction::triggered, &TfrmTINMap::btnPrintClick);
    mnuFilePrintLayout = action("mnuFilePrintLayout", "Print &layout...");
    Wire(mnuFilePrintLayout, &QAction::triggered, &TfrmTINMap::mnuFilePrintLayoutClick);
    PictureWidthDialog = [](int windowWidth, QWidget* parent) -> std::optional<int> {
        bool ok = false;
        const int width = QInputDialog::getInt(
            parent, "Export picture",
            "Width in pixels (the height keeps the window's shape):", windowWidth, 16, 20000, 1,
            &ok);
        return ok ? std::optional(width) : std::nullopt;
    };
}

void TfrmTINMap::CreateMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(Open1);
    file->addSeparator();
    file->addAction(mnuFileHealthCheck);
    file->addAction(mnuFileExportPicture);
    file->addAction(mnuFilePrint);
    file->addSeparator(); // the program's additions, before Exit
    file->addActions({mnuFileSave, mnuFileSaveAs, mnuFilePrintLayout});
    mnuFileRecent = file->addMenu("Open &recent");
    mnuFileRecent->setObjectName("mnuFileRecent");
    connect(file, &QMenu::aboutToShow, this, &TfrmTINMap::FillRecentFiles);
    FillRecentFiles();
    file->addSeparator();
    file->addAction(Exit1);
    QMenu* options = menuBar()->addMenu("&Options");
    options->addActions(
        {mnuOptionsEdges, mnuOptionsTriangles, mnuOptionsStartPoints, mnuOptionsLimits});
    options->addSeparator();
    options->addActions({TriangleInfo1, mnuOptionsFileHeader});
    CreateTerrainMenu();
    CreateEditMenu();
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(About1);
}

// The usual keys of map programs for the zoom buttons, named in their tool tips. A key of a
// disabled button does nothing, as its click does.
void TfrmTINMap::AddZoomKeys() {
    const QKeySequence keypadPlus(
        QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus));
    const QKeySequence keypadMinus(
        QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus));
    const std::pair<QToolButton*, QList<QKeySequence>> keys[] = {
        {btnZoomIn,
         {QKeySequence("Ctrl++"), QKeySequence("Ctrl+="), QKeySequence("Ctrl+Shift+="),
          keypadPlus}},
        {btnZoomOut, {QKeySequence("Ctrl+-"), keypadMinus}},
        {btnZoomExtents, {QKeySequence("Ctrl+0")}},
        {btnZoomPrevious, {QKeySequence("Alt+Left"), QKeySequence(Qt::Key_Backspace)}}};
    for (const auto& [button, sequences] : keys) {
        for (const QKeySequence& sequence : sequences) {
            auto* shortcut = new QShortcut(sequence, this);
            connect(shortcut, &QShortcut::activated, button, &QToolButton::click);
        }
        button->setToolTip(button->toolTip() + " (" +
                           sequences.front().toString(QKeySequence::NativeText) + ")");
    }
}

void TfrmTINMap::CreateToolBar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName("pnlToolBar");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    bar->setIconSize(QSize(20, 19));
    addToolBar(Qt::TopToolBarArea, bar);
    auto button = [bar](const char* name, const QString& hint, TToolPicture picture) {
        auto* tool = new QToolButton(bar);
        tool->setObjectName(name);
        tool->setToolTip(hint);
        tool->setIcon(ToolPicture(picture));
        tool->setFixedSize(24, 24);
        tool->setAutoRaise(true);
        bar->addWidget(tool);
        return tool;
    };
    btnZoomIn = button("btnZoomIn", "Zoom in x2", TToolPicture::ZoomIn);
    btnZoomOut = button("btnZoomOut", "Zoom out x2", TToolPicture::ZoomOut);
    btnZoomExtents = button("btnZoomExtents", "Zoom extents", TToolPicture::ZoomExtents);
    btnZoomPrevious = button("btnZoomPrevious", "Zoom previous", TToolPicture::ZoomPrevious);
    btnZoomToTriangle =
        button("btnZoomToTriangle", "Zoom to selected triangle", TToolPicture::ZoomToTriangle);
    bar->addSeparator();
    btnZoomMode = button("btnZoomMode", "Zoom mode", TToolPicture::ZoomMode);
    btnPanMode = button("btnPanMode", "Pan mode", TToolPicture::PanMode);
    bar->addSeparator();
    btnPrint = button("btnPrint", "Print", TToolPicture::Print);
    bar->addSeparator();
    btnProfile = button("btnProfile", "Elevation profile", TToolPicture::Profile);

    AddZoomKeys();
    btnZoomPrevious->setEnabled(false);
    btnZoomToTriangle->setEnabled(false);
    auto* modes = new QButtonGroup(this);
    for (QToolButton* mode : {btnZoomMode, btnPanMode, btnProfile}) {
        mode->setCheckable(true);
        modes->addButton(mode);
    }
    btnZoomMode->setChecked(true);

    Wire(btnZoomIn, &QToolButton::clicked, &TfrmTINMap::btnZoomInClick);
    Wire(btnZoomOut, &QToolButton::clicked, &TfrmTINMap::btnZoomOutClick);
    Wire(btnZoomExtents, &QToolButton::clicked, &TfrmTINMap::btnZoomExtentsClick);
    Wire(btnZoomPrevious, &QToolButton::clicked, &TfrmTINMap::btnZoomPreviousClick);
    Wire(btnZoomToTriangle, &QToolButton::clicked, &TfrmTINMap::ZoomToSelectedTriangle);
    Wire(btnPrint, &QToolButton::clicked, &TfrmTINMap::btnPrintClick);
    // Another mode ends a profile line being drawn.
    connect(btnZoomMode, &QToolButton::clicked, this, [this] {
        RunGuarded([&] {
            CancelProfileLine();
            MapView1->SetMouseMode(TMapMouseMode::mmZoom);
            ShowLineMode();
        });
    });
    connect(btnPanMode, &QToolButton::clicked, this, [this] {
        RunGuarded([&] {
            CancelProfileLine();
            MapView1->SetMouseMode(TMapMouseMode::mmPan);
            ShowLineMode();
        });
    });
    Wire(btnProfile, &QToolButton::clicked, &TfrmTINMap::ProfileModeClick);
}

void TfrmTINMap::CreateStatusBar() {
    statusBar()->setObjectName("StatusBar1");
    // The position panel is as wide as seven-digit coordinates with a value need.
    const int positionWidth =
        fontMetrics().horizontalAdvance("0000000.000, 0000000.000, -0000.000") + 12;
    // The readout keeps the width it needs; the name gives way in a narrow window and is cut
    // with an ellipsis rather than drawn over the readout.
    FPositionPanel = new QLabel(this);
    FPositionPanel->setFixedWidth(std::max(StatusPanelWidth, positionWidth));
    FModelNamePanel = new TElidedLabel(this);
    FModelNamePanel->setMaximumWidth(StatusPanelWidth);
    FModelNamePanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* panel : {FPositionPanel, static_cast<QLabel*>(FModelNamePanel)}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(panel, panel == FModelNamePanel ? 1 : 0);
    }
    // The coordinate system's name, shown when there is one.
    FSystemPanel = new QLabel(this);
    FSystemPanel->setObjectName("SystemPanel");
    FSystemPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addWidget(FSystemPanel);
    FSystemPanel->hide();
    // The slope under the cursor, shown while measuring.
    FSlopePanel = new QLabel(this);
    FSlopePanel->setObjectName("SlopePanel");
    FSlopePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addWidget(FSlopePanel);
    FSlopePanel->hide();
    FReadProgress = new QProgressBar(this);
    FReadProgress->setObjectName("ReadProgress");
    FReadProgress->setRange(0, 1000);
    FReadProgress->setMaximumWidth(100);
    FReadProgress->setTextVisible(false);
    statusBar()->addPermanentWidget(FReadProgress);
    FReadProgress->hide();
    // Only the bar is painted while a model reads: no other input reaches a half-read model.
    FModel->OnReadProgress = [this](int64_t done, int64_t total) {
        if (FModel->Header.NumberOfTriangles <= ProgressThreshold || total <= 0)
            return;
        if (!FReadProgress->isVisible()) {
            FReadProgress->show();
            statusBar()->layout()->activate();
        }
        FReadProgress->setValue(int(done * 1000 / total));
        FReadProgress->repaint();
    };
}

QString TfrmTINMap::StatusText(int panel) const {
    return panel == 1 ? FModelNamePanel->FullText() : FPositionPanel->text();
}

TModelLayers TfrmTINMap::Layers() const {
    // Over a fill, sides only where the triangles are far enough apart for the fill to show.
    const bool filled = FTerrain.Colours || FTerrain.Hillshade || FTerrain.ShowsDifference();
    return {mnuOptionsLimits->isChecked(), mnuOptionsTriangles->isChecked(),
            mnuOptionsEdges->isChecked(), mnuOptionsStartPoints->isChecked(),
            filled ? SidesOverFillPixels : 0};
}

void TfrmTINMap::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShown || event->spontaneous())
        return;
    FShown = true;
    // Opened once the window is on screen, so that an error box has the window behind it.
    QTimer::singleShot(0, this, [this] { RunGuarded([&] { FormShow(); }); });
}

// Runs its work once, just after the first paint of the widget it watches, then goes.
class TFirstPaint : public QObject {
public:
    TFirstPaint(QObject* parent, std::function<void()> work)
        : QObject(parent), FWork(std::move(work)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !FDone) {
            FDone = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, parent(), [work = FWork] { RunGuarded(work); });
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> FWork;
    bool FDone = false;
};

void TfrmTINMap::FormShow() {
    ConnectInspectionWindows();
    if (FArguments.isEmpty())
        return;
    // The window is on the screen, painted, before a big model keeps it busy for seconds: the
    // file is read once the map has shown its first picture.
    if (windowHandle() && windowHandle()->isExposed()) {
        repaint();
        return OpenModel(FArguments.first());
    }
    auto* firstPaint = new TFirstPaint(this, [this] { OpenModel(FArguments.first()); });
    MapView1->viewport()->installEventFilter(firstPaint);
}

namespace {
// The first local surface file (a .vrk model, or another program's surface) among what is
// dragged, or nothing.
QString DroppedModel(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        const QFileInfo file(url.toLocalFile());
        const bool surface = file.suffix().compare("vrk", Qt::CaseInsensitive) == 0 ||
                             SurfaceFormatOfName(file.fileName()) != TSurfaceFormat::Vrk;
        if (url.isLocalFile() && file.isFile() && surface)
            return file.filePath();
    }
    return {};
}
} // namespace

void TfrmTINMap::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedModel(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmTINMap::dropEvent(QDropEvent* event) {
    const QString fileName = DroppedModel(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    RunGuarded([&] {
        if (MayDiscardModel())
            OpenModel(fileName);
    });
}

void TfrmTINMap::Open1Click() {
    if (!MayDiscardModel())
        return;
    const QString fileName = OpenDialog(this);
    if (!fileName.isEmpty())
        OpenModel(fileName);
}

void TfrmTINMap::FillRecentFiles() {
    mnuFileRecent->clear();
    const QStringList files = RecentFiles::List();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QString shown = QDir::toNativeSeparators(path);
        QAction* item =
            mnuFileRecent->addAction(QString("&%1 %2").arg(i + 1).arg(shown.replace("&", "&&")));
        connect(item, &QAction::triggered, this, [this, path] {
            RunGuarded([&] {
                if (!QFileInfo::exists(path)) { // the menu is filled again when next shown
                    RecentFiles::Remove(path);
                    throw Exception(QString("%1 is no longer there; it is taken off the recent "
                                            "files.")
                                        .arg(QDir::toNativeSeparators(path))
                                        .toStdString());
                }
                if (MayDiscardModel())
                    OpenModel(path);
            });
        });
    }
    mnuFileRecent->menuAction()->setEnabled(!files.isEmpty());
}

void TfrmTINMap::ShowModel(const std::function<void()>& read, bool edited) {
    FSelectedTriangle = nullptr;
    // The triangle under the mouse goes too: reading replaces every triangle.
    FHotTriangle = nullptr;
    ModelReadStarts();
    {
        struct THideProgress {
            QProgressBar* Bar;
            ~THideProgress() { Bar->hide(); }
        } hide{FReadProgress};
        ReadModel(read);
    }
    // The first look-up needs the index: it is built on another thread while the model is
    // checked and drawn.
    FModel->BuildIndexAhead();
    ModelRead();
    if (frm3DView)
        frm3DView->SetModel(FModel.get());
    SetModelName(FModel->InternalName);
    ShowInspections();
    if (edited) { // the user goes on where the edit was made
        MapView1->Repaint();
        return;
    }
    ForgetEdits();
    // A vertex at an infinite or undefined place would leave no scale to draw the rest with.
    double minE, minN, maxE, maxN;
    FModel->Vertices().GetFiniteExtent(minE, minN, maxE, maxN);
    MapView1->SetExtents(minE, maxE, minN, maxN);
    MapView1->ZoomExtents();
    MapView1->ClearZoomHistory();
    btnZoomPrevious->setEnabled(false);
    btnZoomToTriangle->setEnabled(false);
    setWindowModified(false);
}

void TfrmTINMap::OpenModel(const QString& fileName) {
    const TWaitCursor wait; // a model of millions of triangles takes a moment
    // A model file is opened, and another program's surface read whole, before anything of
    // the model on show changes.
    std::optional<TFileStream> stream; // closed on every way out
    std::optional<TSurfaceData> surface;
    if (SurfaceFormatOfName(fileName) == TSurfaceFormat::Vrk)
        stream.emplace(fileName.toStdString());
    else
        surface = ReadOtherSurface(fileName.toStdString());
    ShowModel([&] {
        if (stream)
            FModel->ReadFromStream(*stream);
        else
            BuildModel(*FModel, std::move(*surface));
    });
    setWindowTitle("VRK Viewer - [" + fileName + "]");
    ModelFileChanged(fileName);
    RecentFiles::Add(fileName);
    // The system of the .prj file beside the model, else a LandXML file's own, if there is one.
    QString problem, source;
    SetCoordinateSystem(TCoordinateSystem::OfModel(fileName, problem, source));
    if (!problem.isEmpty())
        statusBar()->showMessage(problem, 10000);
}

void TfrmTINMap::SetModelName(const QString& name) {
    FModelNamePanel->SetFullText(name);
}

void TfrmTINMap::SelectTriangle(TTriangle* triangle) {
    FSelectedTriangle = triangle;
    if (frm3DView)
        frm3DView->SetSelectedTriangle(triangle);
    MapView1->Repaint();
    ShowSelectionInfo(triangle);
    btnZoomToTriangle->setEnabled(triangle != nullptr);
}

void TfrmTINMap::ZoomToSelectedTriangle() {
    if (!FSelectedTriangle)
        return;
    double minE = 1e99, minN = 1e99, minV = 1e99, maxE = -1e99, maxN = -1e99, maxV = -1e99;
    for (int k = 1; k <= 3; ++k)
        FSelectedTriangle->Vertex(k)->UpdateExtent(minE, minN, minV, maxE, maxN, maxV);
    const double halfW = (maxE - minE) / 2, halfH = (maxN - minN) / 2;
    MapView1->ZoomToRect(true, minE - halfW, maxE + halfW, minN - halfH, maxN + halfH);
}

void TfrmTINMap::OptionsClick() {
    MapView1->Repaint();
    Update3DView();
}

void TfrmTINMap::btnZoomInClick() {
    MapView1->SetZoom(MapView1->State().Zoom * 2);
}

void TfrmTINMap::btnZoomOutClick() {
    MapView1->SetZoom(MapView1->State().Zoom * 0.5);
}

void TfrmTINMap::btnZoomExtentsClick() {
    MapView1->ZoomExtents();
}

void TfrmTINMap::btnZoomPreviousClick() {
    MapView1->ZoomPrevious();
}

TMapOverlays TfrmTINMap::PaintMap(TMapView& view) {
    DrawTerrainLayers(view);
    DrawModel(view, *FModel, Layers(), FSelectedTriangle);
    return DrawMapOverlays(view, *FModel, FTerrain, FTerrainCache);
}

void TfrmTINMap::MapView1Paint() {
    TMapOverlays overlays = PaintMap(*MapView1);
    FLegendBox = overlays.Legend;
    FLabelBoxes = std::move(overlays.Labels);
    // The 3D view shows the lines the plan shows, as the plan is drawn anew.
    Update3DView();
}

void TfrmTINMap::MapView1ViewChanged() {
    if (isVisible())
        btnZoomPrevious->setEnabled(MapView1->CanZoomPrevious());
}

void TfrmTINMap::MapView1MouseDown(int x, int y) {
    FMouseDownPos = {x, y};
}

void TfrmTINMap::MapView1MouseMove(int x, int y) {
    if (FProfileDrawing) {
        FProfileRubber = TPlanPoint{MapView1->PixelToWorldX(x), MapView1->PixelToWorldY(y)};
        MapView1->viewport()->update();
    }
    const double easting = MapView1->PixelToWorldX(x);
    const double northing = MapView1->PixelToWorldY(y);
    double value = NullValue;
    FHotTriangle = FModel->FindTriangle(easting, northing, value);
    const QChar separator = SystemDecimalSeparator();
    QString text = FormatFixed(easting, 3, separator) + ", " + FormatFixed(northing, 3, separator);
    if (FHotTriangle)
        text += ", " + FormatFixed(value, 3, separator);
    FPositionPanel->setText(text);
    if (FSlopePanel->isVisible())
        FSlopePanel->setText(FHotTriangle ? SlopeText(SlopeOf(*FHotTriangle), separator)
                                          : QString());
}

void TfrmTINMap::MapView1MouseUp(int x, int y) {
    const bool click =
        std::abs(x - FMouseDownPos.x()) + std::abs(y - FMouseDownPos.y()) < ClickTolerance;
    if (InProfileMode()) {
        if (click && IsEditClick())
            EditClick({MapView1->PixelToWorldX(x), MapView1->PixelToWorldY(y)});
        else if (click)
            ProfileClick(x, y);
        return;
    }
    if (click)
        SelectTriangle(FHotTriangle);
}

void TfrmTINMap::mnuFileExportPictureClick() {
    const QString fileName =
        SaveDialog("Export picture",
                   "PNG pictures (*.png);;SVG drawings (*.svg);;PDF documents (*.pdf);;"
                   "GeoTIFF pictures in place (*.tif)",
                   this);
    if (fileName.isEmpty())
        return;
    const TMapViewState& view = MapView1->State();
    const auto width = PictureWidthDialog(view.ClientWidth, this);
    if (!width)
        return;
    const int height =
        std::max(1, qRound(double(*width) * view.ClientHeight / std::max(1, view.ClientWidth)));
    const TWaitCursor wait;
    ExportPicture(*MapView1, fileName, *width, height, FSystem ? &*FSystem : nullptr);
}
