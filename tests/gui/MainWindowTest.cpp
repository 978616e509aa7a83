// The real main window under the offscreen platform, driven with synthetic events.
#include "app/MainWindow.h"
#include "Components/MapView.h"
#include "GuiTestSupport.h"
#include "app/CommandLine.h"
#include "app/ProfileWindow.h"
#include "app/RecentFiles.h"
#include "inspect/HeaderInfoWindow.h"
#include "inspect/HealthCheckWindow.h"
#include "inspect/TriangleInfoWindow.h"
#include "platform/Exceptions.h"
#include "vrk/VRKModel.h"

#include "TerrainGenerator.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace {
struct MainWindowTest : ::testing::Test {
    void SetUp() override {
        ReportedErrors().clear();
        square = dir.filePath("square.vrk");
        TWriteOptions options;
        options.Name = "Square";
        SaveBytes(square.toStdString(), WriteModel(SquareModel(), options));
    }

    // A shown main window, started with the arguments.
    std::unique_ptr<TfrmTINMap> Started(QStringList arguments) {
        auto window = std::make_unique<TfrmTINMap>(std::move(arguments));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        return window;
    }

    QToolButton* Button(TfrmTINMap& window, const char* name) {
        return window.findChild<QToolButton*>(name);
    }

    QPoint Pixel(TfrmTINMap& window, double e, double n) {
        return {window.MapView()->WorldToPixelX(e), window.MapView()->WorldToPixelY(n)};
    }

    void Hover(TfrmTINMap& window, QPoint at) { ::Hover(window.MapView()->viewport(), at); }

    void Click(TfrmTINMap& window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        Hover(window, at);
        QTest::mouseClick(window.MapView()->viewport(), button, {}, at);
    }

    QTemporaryDir dir;
    QString square;
};
} // namespace

TEST_F(MainWindowTest, StartsEmptyAndOpensTheFirstArgument) {
    auto empty = Started({});
    EXPECT_EQ(empty->windowTitle(), "VRK Viewer");
    EXPECT_EQ(empty->StatusText(1), "");

    auto window = Started({square, "ignored.vrk"});
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + square + "]");
    EXPECT_EQ(window->StatusText(1), "Square");
    EXPECT_EQ(window->Model().Triangles().Count(), 2);
    EXPECT_FALSE(Button(*window, "btnZoomPrevious")->isEnabled()) << "opening clears the history";
    EXPECT_DOUBLE_EQ(window->MapView()->State().Zoom, 1);
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

TEST_F(MainWindowTest, OpenFromTheMenuAndACancelledDialogChangesNothing) {
    auto window = Started({});
    QAction* open = window->findChild<QAction*>("Open1");
    window->OpenDialog = [](QWidget*) { return QString(); };
    open->trigger();
    EXPECT_EQ(window->windowTitle(), "VRK Viewer");
    window->OpenDialog = [this](QWidget*) { return square; };
    open->trigger();
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + square + "]");
    window->OpenDialog = [this](QWidget*) { return dir.filePath("missing.vrk"); };
    open->trigger();
    ASSERT_EQ(ReportedErrors().size(), 1) << "the menu's error reaches the top-level handler";
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + square + "]");
}

TEST_F(MainWindowTest, CursorReadoutShowsTheValueOverATriangle) {
    auto window = Started({square});
    const QPoint at = Pixel(*window, 75, 25);
    Hover(*window, at);
    // Triangle 1 has corners (0, 0, 0), (100, 0, 10), (100, 100, 20): its plane is
    // z = 0.1 e + 0.1 n. Three decimals each, by hand.
    const double e = window->MapView()->PixelToWorldX(at.x());
    const double n = window->MapView()->PixelToWorldY(at.y());
    ASSERT_NEAR(e, 75, 1);
    ASSERT_NEAR(n, 25, 1);
    char expected[80];
    std::snprintf(expected, sizeof expected, "%.3f, %.3f, %.3f", e, n, 0.1 * e + 0.1 * n);
    EXPECT_EQ(window->StatusText(0).toStdString(), expected);
    Hover(*window, Pixel(*window, -4, 50));
    EXPECT_EQ(window->StatusText(0).split(", ").size(), 2) << "outside every triangle";
}

TEST_F(MainWindowTest, AVertexAtNoFinitePlaceLeavesTheRestDrawnAndReadable) {
    TModelData data = SquareModel();
    data.Vertices.push_back({INFINITY, 50, 0});
    data.Vertices.push_back({NAN, -INFINITY, 0});
    data.Triangles.push_back({{1, 2, 5}, {-1, -1, -1}});
    const QString file = dir.filePath("infinite.vrk");
    SaveBytes(file.toStdString(), WriteModel(data));
    auto window = Started({file});
    const TMapViewState& view = window->MapView()->State();
    EXPECT_TRUE(std::isfinite(view.Zoom) && view.Zoom > 0);
    EXPECT_GT(CountColour(window->MapView()->Image(), Qt::black), 50) << "the square is drawn";
    Hover(*window, Pixel(*window, 75, 25));
    EXPECT_EQ(window->StatusText(0).split(", ").size(), 3) << window->StatusText(0).toStdString();
    EXPECT_FALSE(window->StatusText(0).contains("nan"));
}

TEST_F(MainWindowTest, ClickSelectsClickOutsideClearsDragSelectsNothing) {
    auto window = Started({square});
    QToolButton* zoomToTriangle = Button(*window, "btnZoomToTriangle");
    Click(*window, Pixel(*window, 75, 25), Qt::RightButton);
    ASSERT_NE(window->SelectedTriangle(), nullptr);
    EXPECT_EQ(window->SelectedTriangle()->Number, 1);
    EXPECT_TRUE(zoomToTriangle->isEnabled());

    Click(*window, Pixel(*window, -4, 50));
    EXPECT_EQ(window->SelectedTriangle(), nullptr);
    EXPECT_FALSE(zoomToTriangle->isEnabled());

    const QPoint from = Pixel(*window, 25, 75);
    QWidget* viewport = window->MapView()->viewport();
    Hover(*window, from);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(3, 2));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(3, 2));
    EXPECT_EQ(window->SelectedTriangle(), nullptr) << "moved 5 pixels";
}

TEST_F(MainWindowTest, ZoomPreviousFollowsTheHistory) {
    auto window = Started({square});
    QToolButton* previous = Button(*window, "btnZoomPrevious");
    Button(*window, "btnZoomIn")->click();
    EXPECT_DOUBLE_EQ(window->MapView()->State().Zoom, 2);
    EXPECT_TRUE(previous->isEnabled());
    previous->click();
    EXPECT_DOUBLE_EQ(window->MapView()->State().Zoom, 1);
    EXPECT_FALSE(previous->isEnabled());
}

TEST_F(MainWindowTest, ZoomToSelectedTriangleShowsTwiceItsBox) {
    auto window = Started({square});
    Click(*window, Pixel(*window, 75, 25));
    Button(*window, "btnZoomToTriangle")->click();
    const TMapViewState& view = window->MapView()->State();
    // Positions hold the view to a millionth of the scroll travel.
    EXPECT_NEAR(view.ViewLeft + view.ViewWidth / 2, 50, 1e-3);
    EXPECT_NEAR(view.ViewBottom + view.ViewHeight / 2, 50, 1e-3);
    // Triangle 1's box is 0 to 100 both ways: the frame is -50 to 150, 200 square, widened
    // along the client's longer side to its shape.
    const double w = view.ClientWidth, h = view.ClientHeight;
    EXPECT_NEAR(view.ViewWidth, w >= h ? 200 * w / h : 200, 1e-3);
    EXPECT_NEAR(view.ViewHeight, w >= h ? 200 : 200 * h / w, 1e-3);
    EXPECT_NEAR(view.ViewLeft, 50 - view.ViewWidth / 2, 1e-3);
}

TEST_F(MainWindowTest, AFailedOpenKeepsCaptionNameAndViewAndClearsTheSelection) {
    auto window = Started({square});
    Click(*window, Pixel(*window, 75, 25));
    Hover(*window, Pixel(*window, 25, 75));
    const QString caption = window->windowTitle();
    const TMapViewState before = window->MapView()->State();

    EXPECT_THROW(window->OpenModel(dir.filePath("missing.vrk")), EFOpenError);
    EXPECT_EQ(window->windowTitle(), caption);

    std::vector<char> truncated = WriteModel(SquareModel());
    truncated.resize(truncated.size() - 10);
    const QString broken = dir.filePath("broken.vrk");
    SaveBytes(broken.toStdString(), truncated);
    ASSERT_NE(window->SelectedTriangle(), nullptr);
    EXPECT_TRUE(ImageHasColour(window->MapView()->Image(), Qt::red)) << "selected before";
    EXPECT_THROW(window->OpenModel(broken), EReadError);
    // The picture follows the emptied model at once: no mesh, no selection.
    EXPECT_FALSE(ImageHasColour(window->MapView()->Image(), Qt::red));
    EXPECT_FALSE(ImageHasColour(window->MapView()->Image(), QColor(0, 128, 0)));
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(window->StatusText(1), "Square");
    EXPECT_EQ(window->MapView()->State().FrameWidth, before.FrameWidth);
    EXPECT_EQ(window->SelectedTriangle(), nullptr);
    EXPECT_EQ(window->Model().Triangles().Count(), 0);

    // The triangle under the mouse went with the model: a click without a move selects nothing.
    QTest::mouseClick(window->MapView()->viewport(), Qt::LeftButton, {}, Pixel(*window, 25, 75));
    EXPECT_EQ(window->SelectedTriangle(), nullptr);
}

TEST_F(MainWindowTest, ErrorsOfTheStartUpFileReachTheTopLevelHandler) {
    auto window = Started({dir.filePath("missing.vrk")});
    ASSERT_EQ(ReportedErrors().size(), 1);
    EXPECT_EQ(ReportedErrors()[0], "Cannot open file " + dir.filePath("missing.vrk"));
    EXPECT_EQ(window->windowTitle(), "VRK Viewer");
}

TEST_F(MainWindowTest, PanDragMovesTheViewAndPushesHistory) {
    auto window = Started({square});
    Button(*window, "btnZoomIn")->click();
    window->MapView()->ClearZoomHistory();
    Button(*window, "btnPanMode")->click();
    TMapView& view = *window->MapView();
    const QPoint from(100, 100), to = from + QPoint(50, 30);
    const double grabbedE = view.PixelToWorldX(from.x()), grabbedN = view.PixelToWorldY(from.y());
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, to);
    EXPECT_TRUE(view.Dragging());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    // The model point that was grabbed lies under the drop point.
    EXPECT_NEAR(view.PixelToWorldX(to.x()), grabbedE, 1e-9);
    EXPECT_NEAR(view.PixelToWorldY(to.y()), grabbedN, 1e-9);
    EXPECT_TRUE(view.CanZoomPrevious());
}

TEST_F(MainWindowTest, ZoomDragNeedsTheLeftButtonAloneAndAWideEnoughRectangle) {
    auto window = Started({square});
    QWidget* viewport = window->MapView()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
    EXPECT_FALSE(window->MapView()->Dragging());
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));

    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(viewport, QPoint(109, 105));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(109, 105));
    EXPECT_DOUBLE_EQ(window->MapView()->State().Zoom, 1) << "9 pixels wide";

    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(viewport, QPoint(140, 110));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(140, 110));
    const TMapViewState& view = window->MapView()->State();
    EXPECT_NEAR(view.Zoom, view.ClientWidth / 40.0, 1e-9);
}

TEST_F(MainWindowTest, AFileRefusedAtItsHeaderKeepsItsPicture) {
    auto window = Started({square});
    const QImage before = window->MapView()->Image();
    const QString text = dir.filePath("text.vrk");
    SaveBytes(text.toStdString(), std::vector<char>(200, 'x'));
    EXPECT_THROW(window->OpenModel(text), EVRKReadError);
    EXPECT_EQ(window->Model().Triangles().Count(), 2);
    window->MapView()->Repaint();
    EXPECT_EQ(window->MapView()->Image(), before) << "the model and its picture stay";
    EXPECT_TRUE(ImageHasColour(before, QColor(0, 128, 0)));
}

// File > Open recent lists the models opened, the latest first, across runs; one chosen opens.
TEST_F(MainWindowTest, OpenRecentReopensTheModelsOpenedLast) {
    QDir(dir.path()).mkdir("other & more");
    const QString other = dir.filePath("other & more/other.vrk");
    QFile::copy(square, other);
    {
        auto first = Started({square});
        first->OpenModel(other);
    }
    auto window = Started({});
    QMenu* recent = window->findChild<QMenu*>("mnuFileRecent");
    window->FillRecentFiles();
    QStringList texts;
    for (QAction* item : recent->actions())
        texts << item->text();
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts.mid(0, 2),
              (QStringList{"&1 " + QFileInfo(other).absoluteFilePath().replace("&", "&&"),
                           "&2 " + QFileInfo(square).absoluteFilePath()}));
    EXPECT_EQ(RecentFiles::LastFolder(), QFileInfo(other).absolutePath());
    recent->actions()[1]->trigger();
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + QFileInfo(square).absoluteFilePath() + "]");
    EXPECT_TRUE(ReportedErrors().isEmpty());

    // One gone since is said so and taken off the list; the model on show stays.
    ASSERT_TRUE(QFile::remove(other));
    window->FillRecentFiles();
    recent->actions()[1]->trigger();
    ASSERT_EQ(ReportedErrors().size(), 1);
    EXPECT_TRUE(ReportedErrors()[0].contains("no longer there"));
    EXPECT_FALSE(RecentFiles::List().contains(QFileInfo(other).absoluteFilePath()));
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + QFileInfo(square).absoluteFilePath() + "]");
}

// The manual page names every item of every menu, as the menu shows it.
TEST_F(MainWindowTest, TheManualPageNamesEveryMenuItem) {
    auto window = Started({});
    QFile file(VRK_SAMPLES_DIR "/../packaging/vrkviewer.1");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString page = QString::fromUtf8(file.readAll());
    page.remove(QRegularExpression(R"(\\f[BIRP])")).replace("\\-", "-");
    std::function<void(QMenu*)> check = [&](QMenu* menu) {
        for (QAction* item : menu->actions()) {
            if (item->menu() && item->menu()->objectName() != "mnuFileRecent") // files, not items
                check(item->menu());
            const QString text = item->text().remove('&').remove("...");
            if (!item->isSeparator() && !text.isEmpty()) {
                EXPECT_TRUE(page.contains(text)) << text.toStdString();
            }
        }
    };
    for (QAction* menu : window->menuBar()->actions())
        check(menu->menu());
}

TEST_F(MainWindowTest, MenusToolBarAndFirstPlaceAreAsDesigned) {
    auto window = Started({});
    EXPECT_EQ(window->pos(), QPoint(301, 107));
    EXPECT_EQ(window->size(), QSize(515, 392));
    QStringList menus;
    for (QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus.mid(0, 2), (QStringList{"&File", "&Options"}));
    EXPECT_EQ(menus.last(), "&Help");
    auto items = [&](int menu) {
        QStringList texts;
        for (QAction* item : window->menuBar()->actions()[menu]->menu()->actions())
            texts << (item->isSeparator() ? "-" : item->text() + (item->isChecked() ? " [x]" : ""));
        return texts;
    };
    EXPECT_EQ(items(0), (QStringList{"&Open...", "-", "&Health check", "Export &picture...",
                                     "P&rint...", "-", "&Save", "Save &as...", "Print &layout...",
                                     "Open &recent", "-", "E&xit"}))
        << "additions before the last separator";
    EXPECT_EQ(items(1), (QStringList{"&Edges [x]", "&Triangles [x]", "&Start points [x]",
                                     "&Limits [x]", "-", "Triangle &Info", "File &Header"}));
    EXPECT_EQ(items(int(menus.size()) - 1), QStringList{"&About"});
    const std::vector<std::pair<const char*, const char*>> tips = {
        {"btnZoomIn", "Zoom in x2 (Ctrl++)"},
        {"btnZoomOut", "Zoom out x2 (Ctrl+-)"},
        {"btnZoomExtents", "Zoom extents (Ctrl+0)"},
        {"btnZoomPrevious", "Zoom previous (Alt+Left)"},
        {"btnZoomToTriangle", "Zoom to selected triangle"},
        {"btnZoomMode", "Zoom mode"},
        {"btnPanMode", "Pan mode"},
        {"btnPrint", "Print"}};
    int left = -1;
    for (const auto& [name, tip] : tips) {
        QToolButton* button = Button(*window, name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolTip(), tip);
        EXPECT_GT(button->x(), left) << name << " in order";
        left = button->x();
    }
    EXPECT_TRUE(Button(*window, "btnZoomMode")->isChecked());
    EXPECT_FALSE(Button(*window, "btnPanMode")->isChecked());
}

namespace {
bool Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return true;
}
} // namespace

TEST_F(MainWindowTest, ADroppedModelOpensAsFileOpenDoes) {
    auto window = Started({});
    const QString text = dir.filePath("notes.txt");
    SaveBytes(text.toStdString(), std::vector<char>(5, 'x'));
    EXPECT_FALSE(Drop(window.get(), {QUrl::fromLocalFile(text)})) << "another kind: refused";
    EXPECT_FALSE(Drop(window.get(), {QUrl::fromLocalFile(dir.path())})) << "a folder";
    EXPECT_TRUE(Drop(window.get(), {QUrl::fromLocalFile(text), QUrl::fromLocalFile(square)}));
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + square + "]") << "the first .vrk";
    EXPECT_EQ(window->Model().Triangles().Count(), 2);
    const QString broken = dir.filePath("broken.vrk");
    SaveBytes(broken.toStdString(), std::vector<char>(200, 'x'));
    EXPECT_TRUE(Drop(window.get(), {QUrl::fromLocalFile(broken)}));
    ASSERT_EQ(ReportedErrors().size(), 1);
    EXPECT_EQ(ReportedErrors()[0], "File is not a Vandrel TIN Model.");
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + square + "]");
}

TEST_F(MainWindowTest, ThePictureIsWhatTheScreenShowsAsPngSvgOrPdf) {
    auto window = Started({square});
    Click(*window, Pixel(*window, 75, 25)); // the selection is in the picture too
    const TMapViewState& view = window->MapView()->State();
    QString target;
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return target; };
    window->PictureWidthDialog = [](int width, QWidget*) { return std::optional(width); };
    QAction* exportPicture = window->findChild<QAction*>("mnuFileExportPicture");

    target = dir.filePath("view.png");
    exportPicture->trigger();
    const QImage png(target);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), window->MapView()->Image())
        << "pixel for pixel the screen's image";

    window->PictureWidthDialog = [](int width, QWidget*) { return std::optional(2 * width); };
    target = dir.filePath("large.png");
    exportPicture->trigger();
    EXPECT_EQ(QImage(target).size(), QSize(2 * view.ClientWidth, 2 * view.ClientHeight));

    target = dir.filePath("view.svg");
    exportPicture->trigger();
    QFile svg(target);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray drawing = svg.readAll();
    EXPECT_TRUE(drawing.contains("<svg")) << "a drawing";
    EXPECT_TRUE(drawing.contains("#0000ff")) << "with the boundary's blue";

    target = dir.filePath("view.pdf");
    exportPicture->trigger();
    QFile pdf(target);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_TRUE(ReportedErrors().isEmpty());

    target = dir.filePath("no/such/folder/view.png");
    exportPicture->trigger();
    ASSERT_EQ(ReportedErrors().size(), 1);
    EXPECT_TRUE(ReportedErrors()[0].startsWith("Cannot create file "));
}

TEST_F(MainWindowTest, AProgressBarFollowsTheReadingOfABigModel) {
    const QString big = dir.filePath("big.vrk");
    SaveBytes(big.toStdString(), WriteModel(GenerateTerrain(60, 50)));
    auto window = Started({});
    QProgressBar* bar = window->ReadProgress();
    std::vector<int> shown;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        EXPECT_TRUE(bar->isVisible());
        shown.push_back(value);
    });
    window->OpenModel(big);
    EXPECT_TRUE(shown.empty()) << "6,000 triangles: no bar";
    window->ProgressThreshold = 1000;
    window->OpenModel(big);
    ASSERT_GE(shown.size(), 5u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GT(shown.back(), 900);
    EXPECT_FALSE(bar->isVisible()) << "gone when the model is read";
    std::vector<char> cut = WriteModel(GenerateTerrain(60, 50));
    cut.resize(cut.size() - 100);
    SaveBytes(big.toStdString(), cut);
    EXPECT_THROW(window->OpenModel(big), Exception);
    EXPECT_FALSE(bar->isVisible()) << "and when the read fails";
}

TEST_F(MainWindowTest, EachLayerItemOfTheOptionsMenuSwitchesItsOwnLayer) {
    // Limits wider than the mesh, so that no side hides them.
    std::vector<char> bytes = WriteModel(SquareModel());
    PatchHeader(bytes, [](TVRKHeader& h) {
        h.MinimumEasting = h.MinimumNorthing = -10;
        h.MaximumEasting = h.MaximumNorthing = 110;
    });
    const QString file = dir.filePath("limits.vrk");
    SaveBytes(file.toStdString(), bytes);
    auto window = Started({file});
    const std::pair<const char*, bool TModelLayers::*> items[] = {
        {"mnuOptionsEdges", &TModelLayers::Edges},
        {"mnuOptionsTriangles", &TModelLayers::Triangles},
        {"mnuOptionsStartPoints", &TModelLayers::StartPoints},
        {"mnuOptionsLimits", &TModelLayers::Limits}};
    for (const auto& [name, layer] : items) {
        QAction* item = window->findChild<QAction*>(name);
        const QImage before = window->MapView()->Image().copy();
        item->trigger();
        const TModelLayers off = window->Layers();
        for (const auto& [other, otherLayer] : items)
            EXPECT_EQ(off.*otherLayer, other != name) << name << " switches only " << name;
        EXPECT_NE(window->MapView()->Image(), before) << name << " changes the picture";
        item->trigger();
        EXPECT_TRUE(window->Layers().*layer);
        EXPECT_EQ(window->MapView()->Image(), before) << name << " back on";
    }
}

TEST_F(MainWindowTest, ANarrowWindowCutsTheModelNameAndKeepsTheReadout) {
    TWriteOptions options;
    options.Name = "A model name far too long to fit";
    const QString file = dir.filePath("long.vrk");
    SaveBytes(file.toStdString(), WriteModel(SquareModel(), options));
    auto window = Started({file});
    QLabel* readout = window->findChild<QStatusBar*>("StatusBar1")->findChildren<QLabel*>()[0];
    const int readoutWidth = readout->width();
    window->resize(readoutWidth + 120, window->height());
    QCoreApplication::processEvents();
    QList<QLabel*> panels = window->findChild<QStatusBar*>("StatusBar1")->findChildren<QLabel*>();
    ASSERT_GE(panels.size(), 2);
    QLabel* name = panels[1];
    EXPECT_EQ(readout->width(), readoutWidth) << "the readout keeps its width";
    EXPECT_LE(readout->geometry().right(), name->geometry().left()) << "side by side";
    EXPECT_LT(name->width(), 120);
    EXPECT_TRUE(name->text().endsWith(QChar(0x2026))) << name->text().toStdString();
    EXPECT_LE(name->fontMetrics().horizontalAdvance(name->text()), name->contentsRect().width());
    EXPECT_EQ(window->StatusText(1), options.Name.c_str()) << "the whole name is kept";
    window->resize(1000, window->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(name->text(), options.Name.c_str()) << "and shown whole again";
}

TEST_F(MainWindowTest, TheSecondPrintDialogHasTheFirstOnesPrinterAndSettings) {
    auto window = Started({square});
    std::vector<QPrinter*> printers;
    window->PrintDialog = [&](QPrinter& printer, QWidget*) {
        if (printers.empty())
            printer.setCopyCount(3); // chosen in the first dialog
        else
            EXPECT_EQ(printer.copyCount(), 3);
        printers.push_back(&printer);
        return false;
    };
    Button(*window, "btnPrint")->click();
    Button(*window, "btnPrint")->click();
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0], printers[1]);
}

TEST_F(MainWindowTest, TheZoomCommandsHaveTheirKeys) {
    auto window = Started({square});
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const TMapViewState& view = window->MapView()->State();
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom, 2);
    QTest::keyClick(window.get(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom, 4);
    QTest::keyClick(window.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom, 2);
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_DOUBLE_EQ(view.Zoom, 4) << "back to the zoom before";
    QTest::keyClick(window.get(), Qt::Key_Backspace);
    EXPECT_DOUBLE_EQ(view.Zoom, 2);
    QTest::keyClick(window.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom, 1);
}

TEST_F(MainWindowTest, PrintAndExitHaveTheirKeysAndEscClosesTheToolWindows) {
    auto window = Started({square});
    EXPECT_EQ(window->findChild<QAction*>("mnuFilePrint")->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(window->findChild<QAction*>("Exit1")->shortcut(), QKeySequence("Ctrl+Q"));
    for (QWidget* tool :
         {static_cast<QWidget*>(window->HeaderInfo()), static_cast<QWidget*>(window->HealthCheck()),
          static_cast<QWidget*>(window->TriInfo()), static_cast<QWidget*>(window->Profile())}) {
        tool->show();
        QApplication::setActiveWindow(tool); // what a click on it does with a window manager
        QTest::keyClick(tool, Qt::Key_Escape);
        EXPECT_FALSE(tool->isVisible()) << tool->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, TheModelFileIsTheFirstArgumentThatIsNoOption) {
    auto split = [](QStringList arguments) {
        arguments.prepend("vrkviewer");
        return SplitCommandLine(arguments);
    };
    TCommandLine line = split({"-reverse", "model.vrk", "other.vrk"});
    EXPECT_EQ(line.ModelFile, "model.vrk");
    EXPECT_EQ(line.QtArguments, QStringList{"vrkviewer"}) << "the look is not changed";
    line = split({"-style", "fusion", "--stylesheet", "x.qss", "model.vrk"});
    EXPECT_EQ(line.ModelFile, "model.vrk") << "an option's value is no file";
    EXPECT_EQ(line.QtArguments, QStringList{"vrkviewer"});
    line = split({"-platform", "offscreen", "-display", ":1", "m.vrk"});
    EXPECT_EQ(line.QtArguments,
              (QStringList{"vrkviewer", "-platform", "offscreen", "-display", ":1"}));
    EXPECT_EQ(line.ModelFile, "m.vrk");
    line = split({"--", "-reverse"});
    EXPECT_EQ(line.ModelFile, "-reverse") << "after -- a file, whatever its name";
    EXPECT_EQ(line.QtArguments, QStringList{"vrkviewer"});
    EXPECT_EQ(split({}).ModelFile, "");
}

TEST_F(MainWindowTest, SaveAsWritesTheModelAndAModelFileBecomesTheFileOnShow) {
    auto window = Started({});
    QAction* save = window->findChild<QAction*>("mnuFileSave");
    QAction* saveAs = window->findChild<QAction*>("mnuFileSaveAs");
    EXPECT_FALSE(save->isEnabled()) << "nothing to save yet";
    EXPECT_EQ(save->shortcut(), QKeySequence::Save);
    window->OpenModel(square);
    ASSERT_TRUE(saveAs->isEnabled());
    // Another program's format is written and the model file stays on show; a model file
    // saved becomes it, and reads back as the same model.
    QString chosen = dir.filePath("square.obj");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return chosen; };
    saveAs->trigger();
    EXPECT_TRUE(QFile::exists(chosen));
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + square + "]");
    chosen = dir.filePath("copy.vrk");
    saveAs->trigger();
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + chosen + "]");
    window->OpenModel(chosen);
    EXPECT_EQ(window->Model().Triangles().Count(), 2);
    EXPECT_EQ(window->StatusText(1), "Square");
    // Save writes the model file on show again; opened from another format, it asks.
    ASSERT_TRUE(QFile::remove(chosen));
    save->trigger();
    EXPECT_TRUE(QFile::exists(chosen));
    window->OpenModel(dir.filePath("square.obj"));
    chosen = dir.filePath("from-obj.vrk");
    save->trigger();
    EXPECT_TRUE(QFile::exists(chosen));
    // A name of no format, or a folder that is not there, is refused and changes nothing.
    for (const QString& wrong : {dir.filePath("square.txt"), dir.filePath("none/square.vrk")}) {
        chosen = wrong;
        const qsizetype before = ReportedErrors().size();
        saveAs->trigger();
        EXPECT_EQ(ReportedErrors().size(), before + 1) << wrong.toStdString();
        EXPECT_EQ(window->windowTitle(), "VRK Viewer - [" + dir.filePath("from-obj.vrk") + "]");
    }
}

TEST_F(MainWindowTest, ABuiltSurfaceIsShownUnsavedAndIsNotLostWithoutAsking) {
    const QString points = dir.filePath("points.csv");
    QFile file(points);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x,y,z\n0,0,1\n10,0,2\n10,10,3\n0,10,4\n5,5,9\n");
    file.close();
    auto window = Started({square});
    TBuildRequest request;
    request.Files.Points = {points};
    request.Name = "Pad";
    window->BuildSurfaceDialog = [&](QWidget*) { return std::optional(request); };
    std::vector<TfrmTINMap::TUnsavedAnswer> answers;
    int asked = 0;
    window->UnsavedDialog = [&](QWidget*) { return answers[size_t(asked++)]; };
    QAction* build = window->findChild<QAction*>("mnuTerrainBuildSurface");
    ASSERT_NE(build, nullptr);
    build->trigger();
    EXPECT_EQ(window->Model().Triangles().Count(), 4);
    EXPECT_EQ(window->StatusText(1), "Pad");
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), "VRK Viewer - [Pad][*]");
    EXPECT_EQ(asked, 0) << "the file on show was saved";
    // Cancel keeps it; Discard lets it go; Save writes it first, under the name asked for.
    answers = {TfrmTINMap::TUnsavedAnswer::Cancel, TfrmTINMap::TUnsavedAnswer::Cancel,
               TfrmTINMap::TUnsavedAnswer::Save, TfrmTINMap::TUnsavedAnswer::Discard};
    window->OpenDialog = [&](QWidget*) { return square; };
    window->findChild<QAction*>("Open1")->trigger();
    EXPECT_EQ(window->StatusText(1), "Pad");
    EXPECT_FALSE(window->close()) << "cancelled";
    const QString saved = dir.filePath("pad.vrk");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return saved; };
    build->trigger(); // asks: Save
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_TRUE(window->isWindowModified()) << "the new build is unsaved again";
    window->findChild<QAction*>("Open1")->trigger(); // asks: Discard
    EXPECT_EQ(window->StatusText(1), "Square");
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(asked, 4);
    EXPECT_TRUE(window->close()) << "nothing unsaved: no question";
}

TEST_F(MainWindowTest, EditsChangeTheModelOnShowKeepTheViewAndUndoAndRedo) {
    // A 4 x 4 grid of points 10 m apart, built: 18 triangles.
    const QString points = dir.filePath("grid.csv");
    QFile file(points);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x,y,z\n");
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            file.write(QString("%1,%2,%3\n").arg(10 * i).arg(10 * j).arg(i + j).toLatin1());
    file.close();
    auto window = Started({});
    TBuildRequest request;
    request.Files.Points = {points};
    window->BuildSurfaceDialog = [&](QWidget*) { return std::optional(request); };
    window->findChild<QAction*>("mnuTerrainBuildSurface")->trigger();
    const TVandrelTINModel& model = window->Model();
    ASSERT_EQ(model.Triangles().Count(), 18);
    auto counts = [&] { return std::pair(model.Vertices().Count(), model.Triangles().Count()); };
    auto action = [&](const char* name) { return window->findChild<QAction*>(name); };
    std::vector<double> numbers;
    double proposed = 0;
    window->EditNumberDialog = [&](const QString&, double offered, QWidget*) {
        proposed = offered;
        EXPECT_FALSE(numbers.empty()) << "asked once too often";
        const double number = numbers.empty() ? 0 : numbers.front();
        numbers.clear();
        return std::optional(number);
    };
    window->EditTextDialog = [&](const QString&, const QString& offered, QWidget*) {
        return std::optional(offered);
    };
    int choice = 0;
    window->ChoiceDialog = [&](const QString&, const QString&, const QStringList&, QWidget*) {
        return std::optional(choice);
    };
    const double zoom = window->MapView()->State().Zoom;

    Click(*window, Pixel(*window, 2, 1)); // the lower left triangle, then Delete
    ASSERT_NE(window->SelectedTriangle(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Delete);
    EXPECT_EQ(counts(), std::pair(15, 17)) << "the corner only it used goes too";

    action("mnuEditAddPoint")->trigger(); // a click, then its elevation (the surface's offered)
    numbers = {7.5};
    Click(*window, Pixel(*window, 15, 15));
    EXPECT_EQ(counts(), std::pair(16, 19));
    EXPECT_NEAR(proposed, 3, 0.2);
    Click(*window, Pixel(*window, 100, 100)); // off the surface: refused, told
    EXPECT_EQ(counts(), std::pair(16, 19));
    EXPECT_FALSE(window->statusBar()->currentMessage().isEmpty());

    action("mnuEditDeletePoint")->trigger();
    Click(*window, Pixel(*window, 20.5, 20.5));
    EXPECT_EQ(counts(), std::pair(15, 17));

    action("mnuEditAddBreakline")->trigger(); // corners at the surface's elevations
    Click(*window, Pixel(*window, 3, 12));
    DoubleClick(window->MapView()->viewport(), Pixel(*window, 27, 24));
    EXPECT_EQ(counts().first, 17);

    window->findChild<QToolButton*>("btnZoomMode")->click(); // a click selects again
    Click(*window, Pixel(*window, 28, 3));
    ASSERT_NE(window->SelectedTriangle(), nullptr);
    const auto beforeSwap = counts();
    // A neighbour across a straight line is refused, across a square's diagonal swapped.
    for (const int edits = window->Edits()->count(); window->Edits()->count() == edits;) {
        action("mnuEditSwapSide")->trigger();
        ASSERT_LT(choice++, 3);
    }
    EXPECT_EQ(counts(), beforeSwap);

    numbers = {12};
    action("mnuEditDeleteLong")->trigger();
    EXPECT_LT(counts().second, beforeSwap.second);
    EXPECT_EQ(window->MapView()->State().Zoom, zoom) << "the view stays";
    EXPECT_TRUE(window->isWindowModified());

    // Back to the surface built, face for face, and forward again.
    const int edits = window->Edits()->count();
    EXPECT_EQ(edits, 6);
    const auto edited = counts();
    for (int i = 0; i < edits; ++i)
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(counts(), std::pair(16, 18));
    for (int i = 0; i < edits; ++i)
        QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(counts(), edited);

    // Saved, the edits are the model file's; one undone is unsaved again.
    const QString saved = dir.filePath("edited.vrk");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return saved; };
    action("mnuFileSave")->trigger();
    EXPECT_FALSE(window->isWindowModified());
    action("mnuEditUndo")->trigger();
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(ReportedErrors(), QStringList{});
}
