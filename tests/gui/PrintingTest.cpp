// Printing the main window's view to a PDF file and looking at the page.
#include "Components/MapView.h"
#include "Components/PrintLayout.h"
#include "GuiTestSupport.h"
#include "app/MainWindow.h"
#include "platform/Exceptions.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

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

TEST_F(PrintingTest, PageHasTheFrameAtTheMarginsAndTheCaptionLine) {
    const QString pdf = dir.filePath("page.pdf");
    auto printer = PdfPrinter(pdf);
    window->PrintView(*printer);
    EXPECT_EQ(window->MapView()->LeftCaption.left(8), "Origin: ");
    ASSERT_TRUE(QFileInfo(pdf).size() > 0);

    const QString text = Run("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(text.contains("Origin: ")) << text.toStdString();
    EXPECT_TRUE(text.contains("Square"));
    EXPECT_TRUE(text.contains("Printed by VRKViewer"));

    // Rasterised at the printer's resolution, the frame stands where the layout puts it, one
    // inch (25 mm at 25 mm to the inch) from the paper edge on the sides it touches.
    Run("pdftoppm", {"-r", "300", "-png", "-singlefile", pdf, dir.filePath("page")});
    const QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    const TMapViewState& view = window->MapView()->State();
    const int offset = qRound(10 / 25.4 * 300);
    TPrinterPage layout;
    layout.DpiX = layout.DpiY = 300;
    layout.PhysicalWidth = page.width();
    layout.PhysicalHeight = page.height();
    layout.Offset = {offset, offset};
    layout.Width = page.width() - 2 * offset;
    layout.Height = page.height() - 2 * offset;
    const TIntRect frame =
        PrintFrame(layout, {25, 25, 25, 25}, false, 0, view.ClientWidth, view.ClientHeight);
    const int middle = (frame.Top + frame.Bottom) / 2 + offset;
    EXPECT_EQ(frame.Left + offset, 300) << "a wide view fills the width: one inch from the edge";
    EXPECT_TRUE(LineAt(page, frame.Left + offset, middle - 50, middle + 50));
    EXPECT_TRUE(LineAt(page, frame.Right + offset, middle - 50, middle + 50));
    EXPECT_FALSE(LineAt(page, frame.Left + offset - 20, middle - 50, middle + 50));
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
