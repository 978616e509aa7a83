// Printing the main window's view to a PDF file and looking at the page.
#include "Components/MapView.h"
#include "Components/PrintLayout.h"
#include "GuiTestSupport.h"
#include "app/MainWindow.h"
#include "platform/Exceptions.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>

namespace {
struct PrintingTest : ::testing::Test {
    void SetUp() override {
        const QString model = dir.filePath("square.vrk");
        TWriteOptions options;
        options.Name = "Square";
        SaveBytes(model.toStdString(), WriteModel(SquareModel(), options));
        window = std::make_unique<TfrmTINMap>(QStringList{model});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }

    // An A4 PDF printer at 300 pixels per inch whose printable area starts 10 mm from the edge.
    std::unique_ptr<QPrinter> PdfPrinter(const QString& file) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setResolution(300);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                           QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        return printer;
    }

    QString Run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QTemporaryDir dir;
    std::unique_ptr<TfrmTINMap> window;
};

// Whether a vertical line runs through column x, give or take the few pixels by which the PDF's
// point units and the rasteriser's rounding move it.
bool LineAt(const QImage& page, int x, int top, int bottom) {
    int marked = 0;
    for (int y = top; y < bottom; ++y) {
        int darkest = 255;
        for (int dx = -3; dx <= 3; ++dx)
            darkest = std::min(darkest, qGray(page.pixel(x + dx, y)));
        marked += darkest < 200;
    }
    return marked > (bottom - top) / 2;
}
} // namespace

// The first dark row at or above y in column x, going up.
int DarkRowAbove(const QImage& page, int x, int y) {
    for (; y > 0; --y)
        if (qGray(page.pixel(x, y)) < 128)
            return y;
    return -1;
}

// Where pdftotext puts each word, in points: xMin, yMin, xMax, yMax.
std::map<QString, QRectF> WordBoxes(const QString& bboxHtml) {
    std::map<QString, QRectF> boxes;
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto m = word.globalMatch(bboxHtml); m.hasNext();) {
        const auto match = m.next();
        boxes[match.captured(5)] =
            QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                   QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()));
    }
    return boxes;
}

TEST_F(PrintingTest, PageHasTheFrameAtTheMarginsAndTheCaptionLine) {
    QCoreApplication::setApplicationName(ApplicationTitle);
    TMapView& view = *window->MapView();
    view.SetView(false, 10, 20, 4); // inside the frame: the view's corner is (10, 20)
    const QString pdf = dir.filePath("page.pdf");
    auto printer = PdfPrinter(pdf);
    window->PrintView(*printer);
    EXPECT_EQ(view.LeftCaption, "Origin: 10.000, 20.000");
    EXPECT_EQ(view.MiddleCaption, "Square");
    EXPECT_EQ(view.RightCaption, "Printed by VRKViewer");
    ASSERT_TRUE(QFileInfo(pdf).size() > 0);
    EXPECT_TRUE(
        Run("pdfinfo", {pdf}).contains(QRegularExpression("Title: +Vandrel TIN Model Viewer")));

    // Rasterised at the printer's 300 pixels per inch, A4 is 2480 pixels wide. The view is wider
    // than the page's shape, so the frame fills the width between the 25 mm margins, one inch
    // (at 25 mm to the inch) from each paper edge: columns 300 and 2180.
    Run("pdftoppm", {"-r", "300", "-png", "-singlefile", pdf, dir.filePath("page")});
    const QImage page(dir.filePath("page.png"));
    ASSERT_EQ(page.width(), 2480);
    const int middle = page.height() / 2;
    EXPECT_TRUE(LineAt(page, 300, middle - 50, middle + 50));
    EXPECT_TRUE(LineAt(page, 2180, middle - 50, middle + 50));
    EXPECT_FALSE(LineAt(page, 280, middle - 50, middle + 50));
    EXPECT_FALSE(LineAt(page, 2200, middle - 50, middle + 50));

    // The caption line stands under the frame: the origin from its left edge, the signature
    // ending at its right edge, the model name centred.
    const std::map<QString, QRectF> words = WordBoxes(Run("pdftotext", {"-bbox", pdf, "-"}));
    ASSERT_TRUE(words.count("Origin:") && words.count("Square") && words.count("VRKViewer"));
    const double pixel = 72.0 / 300; // points per printer pixel
    const int frameBottom = DarkRowAbove(page, 900, int(words.at("Origin:").top() / pixel) - 3);
    EXPECT_GT(frameBottom, middle);
    const double tolerance = 12 * pixel; // side bearings of the glyphs
    EXPECT_NEAR(words.at("Origin:").left(), 300 * pixel, tolerance);
    EXPECT_NEAR(words.at("VRKViewer").right(), 2180 * pixel, tolerance);
    EXPECT_NEAR(words.at("Square").center().x(), 1240 * pixel, tolerance);
    for (const char* word : {"Origin:", "Square", "VRKViewer"}) {
        EXPECT_GT(words.at(word).top(), frameBottom * pixel) << word << " under the frame";
        EXPECT_LT(words.at(word).top(), frameBottom * pixel + 20) << word << " close under it";
    }
}

TEST_F(PrintingTest, ACancelledDialogPrintsNothingAndSetsNoCaption) {
    bool asked = false;
    window->PrintDialog = [&](QPrinter&, QWidget*) {
        asked = true;
        return false;
    };
    window->findChild<QToolButton*>("btnPrint")->click();
    EXPECT_TRUE(asked);
    EXPECT_EQ(window->MapView()->LeftCaption, "");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const TMapViewState& view = window->MapView()->State();
    EXPECT_EQ(view.DrawRect, (TIntRect{0, 0, view.ClientWidth, view.ClientHeight}));
}

TEST_F(PrintingTest, AFailingPrinterLeavesTheScreenAsTheDrawingTarget) {
    auto printer = PdfPrinter(dir.filePath("no/such/folder/page.pdf"));
    EXPECT_THROW(window->PrintView(*printer), Exception);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass went";
    const TMapViewState& view = window->MapView()->State();
    EXPECT_EQ(view.DrawRect, (TIntRect{0, 0, view.ClientWidth, view.ClientHeight}));
    window->MapView()->Repaint();
    EXPECT_TRUE(ImageHasColour(window->MapView()->Image(), QColor(0, 0, 255)))
        << "draws on screen again";
}

TEST_F(PrintingTest, OnPaperTheLegendStandsBesideTheFrameNotOnIt) {
    window->findChild<QAction*>("mnuTerrainColours")->trigger();
    const QString pdf = dir.filePath("legend.pdf");
    auto printer = PdfPrinter(pdf);
    window->PrintView(*printer);
    ASSERT_TRUE(window->LegendBox().has_value());
    // In page pixels at 300 dots an inch: the printable area starts 118 pixels (10 mm) from the
    // paper's corner. The page is portrait and the view wide, so the frame takes the width
    // between the 25 mm margins and the legend goes under the caption line, within the margins.
    const TIntRect legend = *window->LegendBox();
    const int offset = 118;
    const std::map<QString, QRectF> words = WordBoxes(Run("pdftotext", {"-bbox", pdf, "-"}));
    ASSERT_TRUE(words.count("Origin:"));
    EXPECT_TRUE(words.count("30.000") && words.count("m")) << "the values with their unit";
    const double pointsPerPixel = 72.0 / 300;
    EXPECT_GT(legend.Top + offset, words.at("Origin:").bottom() / pointsPerPixel)
        << "under the captions, off the frame";
    EXPECT_LE(legend.Right + offset, 2180) << "inside the right margin";
    EXPECT_LE(legend.Bottom + offset, 3508 - 300) << "above the bottom margin";
}

TEST_F(PrintingTest, PrintLayoutSavesTheViewAsASheetAtTrueScale) {
    QString pdf = dir.filePath("sheet.pdf");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return pdf; };
    window->findChild<QAction*>("mnuFilePrintLayout")->trigger();
    TPrintLayoutDialog* layout = window->PrintLayout();
    ASSERT_TRUE(layout && layout->isVisible());
    // Fitted, the whole view is on the map.
    const TMapViewState& view = window->MapView()->State();
    std::optional<TSheetPlan> plan = layout->Plan();
    ASSERT_TRUE(plan);
    EXPECT_LE(plan->Ground.Left, view.ViewLeft);
    EXPECT_GE(plan->Ground.Left + plan->Ground.Width, view.ViewRight);
    EXPECT_LE(plan->Ground.Bottom, view.ViewBottom);
    EXPECT_GE(plan->Ground.Bottom + plan->Ground.Height, view.ViewTop);

    layout->findChild<QComboBox*>("cbxScale")->setEditText("1:1000");
    layout->findChild<QLineEdit*>("edtTitle")->setText("Borrow pit");
    layout->findChild<QPushButton*>("btnSavePdf")->click();
    ASSERT_TRUE(QFileInfo::exists(pdf)) << ReportedErrors().join("\n").toStdString();

    // At 1:1000 a metre of ground is a millimetre of paper: the tick values 50 m apart stand
    // 50 mm apart, and the square's 100 m sides are drawn 100 mm apart.
    const QString text = Run("pdftotext", {"-bbox", pdf, "-"});
    const std::map<QString, QRectF> words = WordBoxes(text);
    EXPECT_TRUE(words.count("Borrow") && words.count("1:1000"));
    auto topmost = [&](const QString& value) {
        QRectF top;
        const QRegularExpression word(QString(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" )re") +
                                      R"re(xMax="([\d.]+)" yMax="([\d.]+)">)re" + value +
                                      "</word>");
        for (auto m = word.globalMatch(text); m.hasNext();) {
            const auto match = m.next();
            const QRectF box(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                             QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()));
            if (top.isNull() || box.top() < top.top())
                top = box;
        }
        return top;
    };
    const double pointsPerMM = 72 / 25.4;
    EXPECT_NEAR(topmost("100").center().x() - topmost("50").center().x(), 50 * pointsPerMM, 1.5);
    Run("pdftoppm", {"-r", "150", "-aa", "no", "-aaVector", "no", "-png", "-singlefile", pdf,
                     dir.filePath("sheet")});
    const QImage page(dir.filePath("sheet.png"));
    int left = page.width(), right = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixelColor(x, y) == QColor(0, 0, 255)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_NEAR(right - left, 100 / 25.4 * 150, 2);

    // A PDF that cannot be written is reported, and no file is left.
    pdf = dir.filePath("no/such/folder/sheet.pdf");
    ReportedErrors().clear();
    layout->findChild<QPushButton*>("btnSavePdf")->click();
    EXPECT_EQ(ReportedErrors().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(pdf));
}
