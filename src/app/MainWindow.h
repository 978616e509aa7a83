#pragma once
// TfrmTINMap: the main window. It owns the one model object, hosts the map view, the tool bar,
// the menu and the status bar, opens model files, shows the position under the mouse and keeps
// the selected triangle.
#include "BuildSurfaceDialog.h"
#include "CoordinateSystemDialog.h"
#include "GridDialog.h"
#include "ModelDrawing.h"
#include "PrintLayoutDialog.h"
#include "TerrainDrawing.h"
#include "compare/Boundary.h"
#include "compare/Difference.h"
#include "compare/Measure.h"
#include "edit/SurfaceEdits.h"
#include "gis/CoordinateSystem.h"
#include "gis/VectorFiles.h"
#include "platform/ErrorGuard.h"
#include "terrain/PlanPoint.h"
#include "terrain/TerrainCache.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

class QAction;
class QLabel;
class QToolButton;
class QPrinter;
class QUndoStack;
class TElidedLabel;
class QProgressBar;
class TStream;
class TMapView;
class TTriangle;
struct TComparedSurface;
class TfrmHealthCheck;
class TfrmProfile;
class TTerrainView3D;
class TfrmVolumes;
class TfrmMeasure;
struct TMeasuredPoint;
class TfrmHeaderInfo;
class TfrmTriInfo;
class TVandrelTINModel;

class TfrmTINMap : public QMainWindow {
public:
    // arguments: the command line without the program; the first one is opened when shown.
    explicit TfrmTINMap(QStringList arguments = {}, QWidget* parent = nullptr);
    ~TfrmTINMap() override;

    void OpenModel(const QString& fileName);
    void FillRecentFiles(); // File > Open recent, from the settings
    void SetModelName(const QString& name);
    void SelectTriangle(TTriangle* triangle);
    void ZoomToSelectedTriangle();

    TVandrelTINModel& Model() const { return *FModel; }
    TTriangle* SelectedTriangle() const { return FSelectedTriangle; }
    TMapView* MapView() const { return MapView1; }
    QString StatusText(int panel) const;
    TModelLayers Layers() const;
    // Sets the caption line and prints the view (Printing.cpp).
    void PrintView(QPrinter& printer);

    // The open and print dialogs: the file chosen (empty when cancelled), and whether the user
    // confirmed the printer. Tests put their own in place of the modal dialogs.
    std::function<QString(QWidget* parent)> OpenDialog;
    std::function<bool(QPrinter& printer, QWidget* parent)> PrintDialog;

    // The inspection windows (MainWindowWiring.cpp).
    TfrmTriInfo* TriInfo() const { return frmTriInfo; }
    TfrmHeaderInfo* HeaderInfo() const { return frmHeaderInfo; }
    TfrmHealthCheck* HealthCheck() const { return frmHealthCheck; }

    // The terrain layers and the elevation profile (TerrainCommands.cpp).
    const TTerrainLayers& Terrain() const { return FTerrain; }
    const std::optional<TPlanPoint>& PointMarker() const { return FPointMarker; }
    TfrmVolumes* Volumes() const { return frmVolumes; }
    TPrintLayoutDialog* PrintLayout() const { return frmPrintLayout; }
    TfrmMeasure* Measure() const { return frmMeasure; }
    // Asks for the level to compare the model with; tests put their own in place.
    std::function<std::optional<double>(double suggested, QWidget* parent)> LevelDialog;
    // Ask for a surface file to compare with and for a GeoJSON boundary (empty: cancelled).
    std::function<QString(QWidget*parent)> CompareSurfaceDialog, BoundaryDialog;
    const TVandrelTINModel* Comparison() const { return FComparison.get(); }
    const std::optional<TBoundary>& Boundary() const { return FBoundary; }
    // Asks for a coordinate system as an EPSG code, WKT or a PROJ string, offering the one in
    // use, and whether to save it beside the model file (none: cancelled; empty text: no
    // system); tests put their own in place.
    std::function<std::optional<TSystemChoice>(const QString& current, bool canSaveBeside,
                                               QWidget* parent)>
        CoordinateSystemDialog;
    const std::optional<TCoordinateSystem>& CoordinateSystem() const { return FSystem; }
    // Where the last drawing put the legend and the contour labels.
    const std::optional<TIntRect>& LegendBox() const { return FLegendBox; }
    const std::vector<TIntRect>& LabelBoxes() const { return FLabelBoxes; }
    TfrmProfile* Profile() const { return frmProfile; }
    TTerrainView3D* View3D() const { return frm3DView; }
    const std::vector<TPlanPoint>& ProfileLine() const { return FProfileLine; }
    bool DrawingProfile() const { return FProfileDrawing; }
    // Asks for a vertical exaggeration (none when cancelled), and for a file to save to (empty
    // when cancelled). Tests put their own in place of the modal dialogs.
    std::function<std::optional<double>(double current, QWidget* parent)> ExaggerationDialog;
    // Asks for the elevation grid's cell size (none when cancelled).
    std::function<std::optional<TGridRequest>(
        double suggestedCell, const std::array<double, 4>& modelExtent, QWidget* parent)>
        GridDialog;
    std::function<QString(const QString& caption, const QString& filter, QWidget* parent)>
        SaveDialog;
    // Asks for the files and choices of a surface to build (none: cancelled), and what to do
    // with a model not saved that is about to go. Tests put their own in place.
    std::function<std::optional<TBuildRequest>(QWidget* parent)> BuildSurfaceDialog;
    enum class TUnsavedAnswer { Save, Discard, Cancel };
    std::function<TUnsavedAnswer(QWidget* parent)> UnsavedDialog;
    // Asks for the width of an exported picture, the window's own offered first (none when
    // cancelled).
    std::function<std::optional<int>(int windowWidth, QWidget* parent)> PictureWidthDialog;
    // The Edit menu's questions: a number (an elevation, a length), a text (a breakline's
    // elevations) and a choice among items (none: cancelled). Tests put their own in place.
    std::function<std::optional<double>(const QString& label, double proposed, QWidget* parent)>
        EditNumberDialog;
    std::function<std::optional<QString>(const QString& label, const QString& proposed,
                                         QWidget* parent)>
        EditTextDialog;
    // Asks which of the items (none: cancelled); tests put their own in place.
    std::function<std::optional<int>(const QString& title, const QString& label,
                                     const QStringList& items, QWidget* parent)>
        ChoiceDialog;
    QUndoStack* Edits() const { return FEdits; }
    // Asks for the volume tolerance (none: cancelled); tests put their own in place.
    std::function<std::optional<double>(double current, QWidget* parent)> ToleranceDialog;
    // Models of more triangles than this show a progress bar while they are read.
    int ProgressThreshold = 500000;
    QProgressBar* ReadProgress() const { return FReadProgress; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenu();
    void CreateToolBar();
    void AddZoomKeys();
    void CreateStatusBar();
    // Connects a signal to a handler that runs through the application's top-level handler.
    // Defined here, as every file of the window's commands wires its own items.
    template <class Sender, class Signal, class Handler>
    void Wire(Sender* sender, Signal signal, Handler handler) {
        connect(sender, signal, this, [this, handler] { RunGuarded([&] { (this->*handler)(); }); });
    }

    void FormShow();
    // Inspection window wiring (MainWindowWiring.cpp).
    void CreateInspectionWindows();
    void ConnectInspectionWindows();
    // Runs read, which replaces the model, keeping the windows in step when it fails.
    void ReadModel(const std::function<void()>& read);
    void ShowInspections();
    // Waits for the check of the model on show, which reads it; a failure is reported.
    void FinishHealthCheck();
    void ShowSelectionInfo(TTriangle* triangle);
    void TriangleSelected(QObject* sender, TTriangle* triangle);
    void TriInfoClose();
    void HeaderInfoClose();
    void TriangleInfo1Click();
    void mnuOptionsFileHeaderClick();
    void mnuFileHealthCheckClick();
    void MapView1DblClick();
    void About1Click();
    void Open1Click();
    void OptionsClick();
    void btnZoomInClick();
    void btnZoomOutClick();
    void btnZoomExtentsClick();
    void btnZoomPreviousClick();
    void btnPrintClick();
    void MapView1Paint();
    // The map as the window shows it (the layers, the model, the legend and labels), on view.
    TMapOverlays PaintMap(TMapView& view);
    void MapView1ViewChanged();
    void MapView1MouseDown(int x, int y);
    void MapView1MouseMove(int x, int y);
    void MapView1MouseUp(int x, int y);
    // Terrain menu, profile mode (TerrainCommands.cpp).
    void CreateTerrainActions();
    void CreateTerrainMenu();
    void TerrainLayersClick();
    void mnuTerrainExaggerationClick();
    void mnuTerrainContoursClick();
    void mnuTerrainShowContoursClick();
    void mnuTerrainExportContoursClick();
    void GoToExtremePoint(bool highest);
    void mnuTerrainHighestClick() { GoToExtremePoint(true); }
    void mnuTerrainLowestClick() { GoToExtremePoint(false); }
    void MeasureModeClick();
    // The line mode's items checked as the mode and what the line is for say.
    void ShowLineMode();
    void mnuTerrainCompareLevelClick();
    void mnuTerrainCompareSurfaceClick();
    // Compares the model with the surface in the file from now on.
    void CompareWithSurface(const QString& fileName);
    void BoundaryModeClick();
    void mnuTerrainOpenBoundaryClick();
    void mnuTerrainClearBoundaryClick();
    void mnuTerrainSaveBoundaryClick();
    void SetBoundary(std::optional<TBoundary> boundary);
    void mnuTerrainCoordinateSystemClick();
    void mnuTerrainExportGridClick();
    void mnuTerrain3DViewClick();
    // Drops the surface compared with, and what was made of it.
    void ForgetComparison();
    // Hands the 3D view the terrain layers and options it shares with the plan.
    void Update3DView();
    // The model's system from now on (none: no system), named in the status bar.
    void SetCoordinateSystem(std::optional<TCoordinateSystem> system);
    void mnuTerrainVolumesClick();
    void mnuTerrainToleranceClick();
    void mnuTerrainStopComparingClick();
    void ComparingChanged();
    void ProfileModeClick();
    // The uses of the line mode's clicks: lines drawn, and the Edit menu's points clicked.
    enum class TLineUse {
        Profile,
        Measure,
        Boundary,
        DeleteInside,
        Breakline,
        AddPoint,
        DeletePoint
    };
    // The line mode, drawing a line for that use; a line drawn for another goes.
    void StartLineMode(TLineUse use);
    // Asks for a vector file to save to; format is the one its extension names, else GeoJSON.
    // Empty when cancelled.
    QString AskVectorFileName(const QString& caption, TVectorFormat& format);
    void mnuFileExportPictureClick();
    void mnuFilePrintLayoutClick(); // Printing.cpp
    // Shows the model read (read replaces it): the view, the windows and the layers follow.
    // An edited model keeps the view and the edits.
    void ShowModel(const std::function<void()>& read, bool edited = false);
    // The Edit menu (EditCommands.cpp).
    void CreateEditActions();
    void CreateEditMenu();
    void ForgetEdits();
    // Makes the edit on the surface edited and puts it on the undo stack; a refused edit is
    // told in the status bar and changes nothing.
    void MakeEdit(const QString& name,
                  const std::function<TSurfaceChange(const TSurfaceData&)>& edit);
    void ShowEditedSurface();
    void mnuEditDeleteTriangleClick();
    void mnuEditDeleteInsideClick();
    void mnuEditDeleteLongClick();
    void mnuEditSwapSideClick();
    void mnuEditAddPointClick();
    void mnuEditDeletePointClick();
    void mnuEditAddBreaklineClick();
    // Whether a click of the line mode adds or deletes a point, and that click.
    bool IsEditClick() const;
    void EditClick(const TPlanPoint& at);
    // The polygon of Delete inside or the breakline, drawn.
    void FinishEditLine();
    // Terrain > Build surface..., and asking before an unsaved model goes (BuildCommands.cpp).
    void CreateBuildActions();
    void mnuTerrainBuildSurfaceClick();
    // Whether the model on show may go: saved, or the user lets it go unsaved.
    bool MayDiscardModel();
    // File > Save and Save as... (SaveCommands.cpp).
    void CreateSaveActions();
    // The file the model on show was read from, or saved to as a model file.
    void ModelFileChanged(const QString& fileName);
    void mnuFileSaveClick();
    void mnuFileSaveAsClick();
    // Writes the model in the format the name's extension names (EFWriteError, Exception).
    void SaveModelAs(const QString& fileName);
    void ModelReadStarts();
    void ModelRead();
    // Contours at the round interval that suits the model's range.
    TContourSettings DefaultContours();
    void DrawTerrainLayers(TMapView& view);
    // The compared surface as the 3D view colours the model against it, made once a comparison.
    std::shared_ptr<const TComparedSurface> ComparedIn3D(const TTriangleMesh& surface);
    void DrawTerrainOverlay(QPainter& painter);
    bool InProfileMode() const;
    // A click of the profile mode: the first point of a line, or the next.
    void ProfileClick(int x, int y);
    void FinishProfileLine();
    void FinishBoundary();
    // The line drawn closed into a polygon, measured; none for fewer than three corners.
    std::optional<TAreaMeasure> MeasuredArea() const;
    // The Measure window's Save: the line or polygon measured as a vector file.
    void SaveMeasured(const std::vector<TMeasuredPoint>& points, bool polygon);
    void CancelProfileLine();
    void ProfileClosed();

    std::unique_ptr<TVandrelTINModel> FModel;
    std::unique_ptr<QPrinter> FPrinter;       // made at the first print
    std::unique_ptr<QPrinter> FLayoutPrinter; // made at the first print layout
    QStringList FArguments;
    bool FShown = false;
    QPoint FMouseDownPos;
    TTriangle* FSelectedTriangle = nullptr;
    TTriangle* FHotTriangle = nullptr;

    TMapView* MapView1 = nullptr;
    QToolButton *btnZoomIn, *btnZoomOut, *btnZoomExtents, *btnZoomPrevious, *btnZoomToTriangle,
        *btnZoomMode, *btnPanMode, *btnPrint;
    QMenu* mnuFileRecent; // the models opened last
    QAction *Open1, *mnuFileHealthCheck, *Exit1, *mnuOptionsEdges, *mnuOptionsTriangles,
        *mnuOptionsStartPoints, *mnuOptionsLimits, *TriangleInfo1, *mnuOptionsFileHeader, *About1;
    QLabel* FPositionPanel;        // the status bar's first panel
    TElidedLabel* FModelNamePanel; // and its second
    QLabel* FSlopePanel;           // the slope under the cursor, while measuring
    QLabel* FSystemPanel;          // the coordinate system's name, when there is one
    std::optional<TCoordinateSystem> FSystem;
    QProgressBar* FReadProgress = nullptr;
    TfrmTriInfo* frmTriInfo = nullptr;
    TfrmHeaderInfo* frmHeaderInfo = nullptr;
    TfrmHealthCheck* frmHealthCheck = nullptr;

    TTerrainLayers FTerrain;
    bool FContoursChosen = false; // the user set the contours, rather than the default for a model
    TTerrainCache FTerrainCache;
    std::optional<TIntRect> FLegendBox;
    std::vector<TIntRect> FLabelBoxes;
    QAction* mnuFileExportPicture;
    QAction* mnuFilePrint;
    QAction* mnuFilePrintLayout;
    QAction *mnuFileSave, *mnuFileSaveAs, *mnuTerrainBuildSurface;
    QString FModelFile;
    QUndoStack* FEdits = nullptr;
    std::optional<TSurfaceData> FEditedSurface; // the model as edited, from the first edit on
    QAction *mnuEditUndo, *mnuEditRedo, *mnuEditDeleteTriangle, *mnuEditDeleteInside,
        *mnuEditDeleteLong, *mnuEditSwapSide, *mnuEditAddPoint, *mnuEditDeletePoint,
        *mnuEditAddBreakline;
    QAction *mnuTerrainColours, *mnuTerrainHillshade, *mnuTerrainExaggeration, *mnuTerrainContours,
        *mnuTerrainShowContours, *mnuTerrainExportContours, *mnuTerrainProfile, *mnuTerrainHighest,
        *mnuTerrainLowest, *mnuTerrainCompareLevel, *mnuTerrainDifference, *mnuTerrainVolumes,
        *mnuTerrainStopComparing, *mnuTerrainMeasure, *mnuTerrainCompareSurface,
        *mnuTerrainDrawBoundary, *mnuTerrainOpenBoundary, *mnuTerrainClearBoundary,
        *mnuTerrainCoordinateSystem, *mnuTerrainExportGrid, *mnuTerrainSaveBoundary,
        *mnuTerrain3DView, *mnuTerrainTolerance;
    double FTolerance = 0; // the volumes': where |d| is within it the ground is unchanged
    QToolButton* btnProfile = nullptr;
    std::vector<TPlanPoint> FProfileLine;
    bool FProfileDrawing = false;
    bool FIgnoreProfileRelease = false; // the release that ends a double click
    std::optional<TPlanPoint> FProfileRubber, FProfileMarker;
    std::optional<TPlanPoint> FPointMarker; // the highest or lowest point gone to
    TfrmVolumes* frmVolumes = nullptr;
    std::shared_ptr<const TComparedSurface> F3DCompared;
    std::tuple<const void*, const void*, double> F3DComparedKey;
    QPointer<TPrintLayoutDialog> frmPrintLayout; // open while the layout is being set
    TfrmMeasure* frmMeasure = nullptr;
    // What the line drawn is for: a profile, a measure or the boundary.
    TLineUse FLineUse = TLineUse::Profile;
    std::unique_ptr<TVandrelTINModel> FComparison; // the surface compared with, if any
    std::vector<TPlanSegment> FComparisonOutline;  // its triangles' sides without a neighbour
    std::optional<TBoundary> FBoundary;
    // What the 3D view's lines on the ground were last made from: the plan is drawn far more
    // often than they change.
    struct T3DLineSources {
        bool Contours;
        TContourSettings Contour;
        std::vector<TPlanPoint> Profile;
        std::optional<TBoundary> Boundary;
        bool operator==(const T3DLineSources&) const = default;
    };
    std::optional<T3DLineSources> F3DLineSources;
    TfrmProfile* frmProfile = nullptr;
    TTerrainView3D* frm3DView = nullptr;
};

// The application's title: the task bar's, the message boxes' and the print job's.
inline constexpr char ApplicationTitle[] = "Vandrel TIN Model Viewer";

// Esc closes a tool window, as in the program's other windows that are no dialogs.
void CloseOnEscape(QWidget* window);
