// The inspection windows and their wiring to the main window, driven as a user would.
#include "Components/MapView.h"
#include "GuiTestSupport.h"
#include "TerrainGenerator.h"
#include "app/MainWindow.h"
#include "inspect/HeaderInfoWindow.h"
#include "inspect/HealthCheckWindow.h"
#include "inspect/TriangleInfoWindow.h"
#include "platform/Exceptions.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
// The square model with a third triangle that names itself as its neighbour, and a fourth
// whose corners repeat a vertex: two problems.
TModelData ProblemModel() {
    TModelData data = SquareModel();
    data.Vertices.push_back({200, 0, 0});
    data.Triangles.push_back({{2, 5, 3}, {-1, -1, 3}});
    data.Triangles.push_back({{2, 2, 5}, {-1, -1, -1}});
    return data;
}

struct InspectionWindowsTest : ::testing::Test {
    void SetUp() override {
        ReportedErrors().clear();
        problems = dir.filePath("problems.vrk");
        TWriteOptions options;
        options.Name = "Problems";
        SaveBytes(problems.toStdString(), WriteModel(ProblemModel(), options));
        window = std::make_unique<TfrmTINMap>(QStringList{problems});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }

    QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
    TTriangle* Triangle(int number) { return window->Model().Triangles().Triangle(number - 1); }
    QTableView* Grid(QWidget* owner) { return owner->findChild<QTableView*>("StringGrid"); }
    // Types the number into the box and presses Enter, as the user does.
    void TypeNumber(const QString& text) {
        QLineEdit* box = window->TriInfo()->findChild<QLineEdit*>("txtTriNum");
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    void Press(const char* button) {
        QTest::mouseClick(window->TriInfo()->findChild<QToolButton*>(button), Qt::LeftButton);
    }
    void ClickNeighbour(int k) {
        QWidget* link = window->TriInfo()->findChild<QWidget*>(QString("lblNeighbour%1").arg(k));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, link->height() / 2));
    }
    QPoint Pixel(double e, double n) {
        return {window->MapView()->WorldToPixelX(e), window->MapView()->WorldToPixelY(n)};
    }

    QTemporaryDir dir;
    QString problems;
    std::unique_ptr<TfrmTINMap> window;
};
} // namespace

TEST_F(InspectionWindowsTest, OpeningFillsTheHeaderAndTheHealthCheck) {
    TfrmHealthCheck* check = window->HealthCheck();
    EXPECT_EQ(check->Summary(), "2 problems found");
    EXPECT_EQ(check->Cell(0, 0), "Entity");
    EXPECT_EQ(check->Cell(0, 1), "Triangle 3");
    EXPECT_EQ(check->Cell(1, 1), "Neighbour is itself");
    EXPECT_EQ(check->Cell(1, 2), "Duplicate vertex index");
    EXPECT_EQ(check->RowTriangle(1), Triangle(3));
    EXPECT_EQ(window->HeaderInfo()->RowCount(), 29);
    EXPECT_EQ(window->HeaderInfo()->Cell(1, 3), "Problems");
    EXPECT_EQ(window->HeaderInfo()->Cell(0, 21), "NumberOfTriangles");
    EXPECT_EQ(window->HeaderInfo()->Cell(1, 21), "4");
}

TEST_F(InspectionWindowsTest, HealthCheckGridGrowsFiveRowsAtATimeAndForgetsEarlierChecks) {
    TfrmHealthCheck check;
    EXPECT_EQ(check.RowCount(), 2);
    for (int i = 1; i <= 7; ++i) {
        check.AddProblem(QString("E%1").arg(i), "P", nullptr);
        if (i <= 2) {
            EXPECT_EQ(check.RowCount(), i == 1 ? 2 : 7);
        }
    }
    EXPECT_EQ(check.RowCount(), 12);
    EXPECT_EQ(check.Cell(0, 7), "E7");
    EXPECT_EQ(check.Cell(0, 8), "");
    check.CheckModel(window->Model());
    EXPECT_EQ(check.RowCount(), 7);
    EXPECT_EQ(check.Cell(0, 3), "") << "nothing of the earlier rows stays";
}

namespace {
// A check window whose memory runs out at its second triangle row.
class TStarvedHealthCheck : public TfrmHealthCheck {
public:
    void AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                          TTriangle* triangle) override {
        if (kind == ekTriangle && ++FTriangleRows == 2)
            throw std::bad_alloc();
        TfrmHealthCheck::AddEntityProblem(kind, number, problem, triangle);
    }

private:
    int FTriangleRows = 0;
};
} // namespace

TEST_F(InspectionWindowsTest, ACheckThatRunsOutOfMemoryLetsItsRowsGoAndSaysSo) {
    TStarvedHealthCheck check;
    EXPECT_THROW(check.CheckModel(window->Model()), std::bad_alloc);
    EXPECT_EQ(check.RowCount(), 2);
    EXPECT_EQ(check.Cell(0, 1), "") << "a partial list would pass for the whole one";
    EXPECT_EQ(check.RowTriangle(1), nullptr);
    EXPECT_EQ(check.Summary(), "The check could not be completed");
    EXPECT_EQ(Grid(&check)->model()->rowCount(), 1) << "the view was told";
}

TEST_F(InspectionWindowsTest, ChoosingAProblemRowSelectsAndADoubleClickZooms) {
    QTableView* grid = Grid(window->HealthCheck());
    window->HealthCheck()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->HealthCheck()));
    const QRect row = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(window->SelectedTriangle(), Triangle(3));
    EXPECT_EQ(window->TriInfo()->CurrentNumber(), 3);
    DoubleClick(grid->viewport(), row.center());
    const TMapViewState& view = window->MapView()->State();
    EXPECT_NEAR(view.ViewLeft + view.ViewWidth / 2, 150, 1e-3) << "centred on triangle 3";
    EXPECT_NEAR(view.ViewBottom + view.ViewHeight / 2, 50, 1e-3);

    const QRect empty = grid->visualRect(grid->model()->index(3, 0));
    window->SelectTriangle(nullptr);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, empty.center());
    EXPECT_EQ(window->SelectedTriangle(), nullptr) << "an empty row selects nothing";
}

TEST_F(InspectionWindowsTest, MenuCheckMarksFollowTheWindows) {
    QAction* info = Action("TriangleInfo1");
    QAction* header = Action("mnuOptionsFileHeader");
    EXPECT_FALSE(info->isChecked());
    info->trigger();
    EXPECT_TRUE(info->isChecked());
    EXPECT_TRUE(window->TriInfo()->isVisible());
    window->TriInfo()->close();
    EXPECT_FALSE(info->isChecked());
    EXPECT_FALSE(window->TriInfo()->isVisible());

    header->trigger();
    EXPECT_TRUE(window->HeaderInfo()->isVisible());
    header->trigger();
    EXPECT_FALSE(window->HeaderInfo()->isVisible());
    header->trigger();
    window->HeaderInfo()->close();
    EXPECT_FALSE(header->isChecked());

    Action("mnuFileHealthCheck")->trigger();
    EXPECT_TRUE(window->HealthCheck()->isVisible());
}

TEST_F(InspectionWindowsTest, DoubleClickOnTheMapSelectsAndOpensTheInformation) {
    const QPoint at = Pixel(75, 25);
    Hover(window->MapView()->viewport(), at);
    DoubleClick(window->MapView()->viewport(), at);
    EXPECT_EQ(window->SelectedTriangle(), Triangle(1));
    EXPECT_TRUE(Action("TriangleInfo1")->isChecked());
    EXPECT_TRUE(window->TriInfo()->isVisible());
    EXPECT_EQ(window->TriInfo()->CurrentNumber(), 1);

    // A click on empty ground clears the selection; the window keeps its triangle.
    const QPoint outside = Pixel(-4, 50);
    Hover(window->MapView()->viewport(), outside);
    QTest::mouseClick(window->MapView()->viewport(), Qt::LeftButton, {}, outside);
    EXPECT_EQ(window->SelectedTriangle(), nullptr);
    EXPECT_EQ(window->TriInfo()->CurrentNumber(), 1);
}

TEST_F(InspectionWindowsTest, WalkingTheMeshWithBackAndForward) {
    TfrmTriInfo* info = window->TriInfo();
    TypeNumber("1");
    TypeNumber("2");
    TypeNumber("3");
    ASSERT_EQ(info->History().Length(), 3);
    info->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(info));
    Press("sbBack");
    EXPECT_EQ(info->CurrentNumber(), 2) << "one step back";
    Press("sbBack");
    EXPECT_EQ(info->CurrentNumber(), 1);
    EXPECT_EQ(window->SelectedTriangle(), Triangle(1));
    QToolButton* back = info->findChild<QToolButton*>("sbBack");
    EXPECT_FALSE(back->isEnabled());
    EXPECT_TRUE(info->findChild<QToolButton*>("sbForward")->isEnabled());
    // A disabled arrow looks disabled.
    const QImage disabledLook = back->grab().toImage();
    Press("sbForward");
    ASSERT_TRUE(back->isEnabled());
    EXPECT_NE(back->grab().toImage(), disabledLook);
    EXPECT_EQ(info->CurrentNumber(), 2);
    EXPECT_EQ(info->History().Length(), 3);
    TypeNumber("4");
    EXPECT_EQ(info->History().Length(), 3) << "1, 2, 4: the forward part went";
    EXPECT_FALSE(info->findChild<QToolButton*>("sbForward")->isEnabled());

    // Neighbour links: triangle 1's side 3 leads to triangle 2; its side 1 has none.
    TypeNumber("1");
    ClickNeighbour(3);
    EXPECT_EQ(info->CurrentNumber(), 2);
    TypeNumber("1");
    ClickNeighbour(1);
    EXPECT_EQ(window->SelectedTriangle(), nullptr) << "None clears the selection";
    EXPECT_EQ(info->CurrentNumber(), 1) << "while the window keeps its triangle";
}

TEST_F(InspectionWindowsTest, TypedNumbersOutOfRangeOrNotNumbers) {
    TfrmTriInfo* info = window->TriInfo();
    QLineEdit* box = info->findChild<QLineEdit*>("txtTriNum");
    TypeNumber("abc");
    EXPECT_EQ(box->text(), "0") << "nothing shown yet";
    TypeNumber("2");
    for (const char* text : {"0", "-1", "5"}) {
        TypeNumber(text);
        EXPECT_EQ(box->text(), "2") << text;
    }
    EXPECT_EQ(info->History().Length(), 1);
    TypeNumber("letters");
    EXPECT_EQ(info->History().Length(), 2) << "letters select the triangle shown again";
    EXPECT_EQ(window->SelectedTriangle(), Triangle(2));
}

TEST_F(InspectionWindowsTest, ANumberIsTakenWhenTheFocusLeavesTheBox) {
    TfrmTriInfo* info = window->TriInfo();
    info->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(info));
    info->activateWindow();
    QLineEdit* box = info->findChild<QLineEdit*>("txtTriNum");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "3");
    EXPECT_EQ(info->CurrentNumber(), 0) << "nothing before Enter or the focus leaving";
    info->findChild<QToolButton*>("btnZoom")->setFocus();
    EXPECT_EQ(info->CurrentNumber(), 3);
    EXPECT_EQ(window->SelectedTriangle(), Triangle(3));
}

TEST_F(InspectionWindowsTest, TheHeaderGridFollowsItsBarAfterEveryReadAndDrag) {
    TfrmHeaderInfo* header = window->HeaderInfo();
    QHeaderView* bar = header->HeaderControl();
    auto expectInLine = [&](const char* when) {
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(header->ColumnWidth(column), bar->sectionSize(column)) << when << column;
    };
    expectInLine("first read");
    window->OpenModel(problems);
    expectInLine("second read");
    bar->resizeSection(0, 200);
    EXPECT_EQ(header->ColumnWidth(0), 200);
    window->OpenModel(problems);
    expectInLine("a read after a drag");
    EXPECT_EQ(bar->sectionSize(0), 200) << "the dragged width stays";
}

TEST_F(InspectionWindowsTest, TheHeaderGridsFirstRowStaysWhenTheRestScrolls) {
    TfrmHeaderInfo* header = window->HeaderInfo();
    header->resize(300, 120);
    header->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(header));
    QCoreApplication::processEvents();
    QTableWidget* grid = header->findChild<QTableWidget*>("StringGrid");
    const QRect firstRow(0, 0, grid->width() - 20, grid->rowHeight(0));
    const QImage before = grid->grab(firstRow).toImage();
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    ASSERT_GT(grid->verticalScrollBar()->value(), 0) << "the window is small enough to scroll";
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->grab(firstRow).toImage(), before) << "row 0 in place";
    EXPECT_GT(grid->rowAt(grid->rowHeight(0) + 2), 1) << "the rows under it moved";
    // Moving to a value never scrolls the names away.
    grid->setCurrentCell(5, 1);
    grid->scrollTo(grid->model()->index(5, 1));
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
}

TEST_F(InspectionWindowsTest, TheHealthSummaryStartsAtSixteen) {
    TfrmHealthCheck* check = window->HealthCheck();
    check->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(check));
    QLabel* summary = check->findChild<QLabel*>("lblSummary");
    EXPECT_EQ(summary->mapTo(check, summary->contentsRect().topLeft()), QPoint(16, 8));
}

TEST_F(InspectionWindowsTest, AFailedReadKeepsThePreviousContentAndNoStaleTriangle) {
    TypeNumber("3");
    std::vector<char> truncated = WriteModel(SquareModel());
    truncated.resize(truncated.size() - 10);
    const QString broken = dir.filePath("broken.vrk");
    SaveBytes(broken.toStdString(), truncated);
    EXPECT_THROW(window->OpenModel(broken), EReadError);

    EXPECT_EQ(window->HeaderInfo()->Cell(1, 3), "Problems") << "the previous file's header";
    TfrmHealthCheck* check = window->HealthCheck();
    EXPECT_EQ(check->Cell(0, 1), "Triangle 3") << "the previous file's rows";
    EXPECT_EQ(check->RowTriangle(1), nullptr);
    EXPECT_TRUE(check->Summary().startsWith("2 problems found"));
    EXPECT_EQ(window->TriInfo()->CurrentNumber(), 0);
    EXPECT_EQ(window->TriInfo()->History().Length(), 0);

    // Choosing the old row or zooming hands nothing to the main window.
    QTableView* grid = Grid(check);
    check->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(check));
    const QRect row = grid->visualRect(grid->model()->index(0, 0));
    DoubleClick(grid->viewport(), row.center());
    EXPECT_EQ(window->SelectedTriangle(), nullptr);
    EXPECT_TRUE(ReportedErrors().isEmpty());

    // A file rejected at its header leaves the model, and with it the rows, as they were.
    window->OpenModel(problems);
    std::vector<char> foreign = WriteModel(SquareModel());
    foreign[3] = 'x';
    const QString notModel = dir.filePath("foreign.vrk");
    SaveBytes(notModel.toStdString(), foreign);
    EXPECT_THROW(window->OpenModel(notModel), EVRKReadError);
    EXPECT_EQ(check->RowTriangle(1), Triangle(3));
}

// With its window hidden the check runs behind the first picture: whatever asks for its rows,
// and every new read, first waits for it, so the rows are those of the model on show.
TEST_F(InspectionWindowsTest, ACheckRunBehindTheHiddenWindowEndsBeforeTheModelChanges) {
    TModelData data = GenerateTerrain(320, 200);
    for (size_t t = 0; t < data.Triangles.size(); t += 997) // a corner twice
        data.Triangles[t].Vertices[1] = data.Triangles[t].Vertices[0];
    const QString big = dir.filePath("big.vrk");
    SaveBytes(big.toStdString(), WriteModel(data));

    TfrmHealthCheck* check = window->HealthCheck();
    ASSERT_FALSE(check->isVisible());
    window->OpenModel(big);
    window->OpenModel(problems); // while the big model's check may still run
    EXPECT_EQ(check->Summary(), "2 problems found");
    EXPECT_EQ(check->RowTriangle(1), Triangle(3));

    window->OpenModel(big);
    TfrmHealthCheck direct;
    direct.CheckModel(window->Model());
    ASSERT_EQ(check->RowCount(), direct.RowCount());
    EXPECT_EQ(check->Summary(), direct.Summary());
    for (int row = 1; row < direct.RowCount(); ++row) {
        ASSERT_EQ(check->Cell(0, row), direct.Cell(0, row));
        ASSERT_EQ(check->Cell(1, row), direct.Cell(1, row));
        ASSERT_EQ(check->RowTriangle(row), direct.RowTriangle(row));
    }

    // Shown, the window has the rows at once; a window freed while its check runs waits for it.
    window->OpenModel(problems);
    check->show();
    EXPECT_EQ(Grid(check)->model()->rowCount(), 6);
    window->OpenModel(big);
    EXPECT_EQ(Grid(check)->model()->data(Grid(check)->model()->index(0, 1)).toString(),
              "Duplicate vertex index")
        << "a shown window is filled as the model is read";
    check->hide();
    window->OpenModel(big);
    window.reset();
    EXPECT_TRUE(ReportedErrors().isEmpty());
}
