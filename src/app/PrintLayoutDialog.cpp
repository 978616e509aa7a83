#include "PrintLayoutDialog.h"
#include "Dialogs.h"
#include "export/SavedFile.h"
#include "platform/ErrorGuard.h"
#include "platform/Exceptions.h"
#include "platform/NumberText.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>

namespace {
constexpr const char* FitScale = "Fit";
} // namespace

TPrintLayoutDialog::TPrintLayoutDialog(QPrinter& printer, TSheetSource source, QWidget* parent)
    : QDialog(parent), FPrinter(printer), FSource(std::move(source)) {
    setObjectName("frmPrintLayout");
    setWindowTitle("Print layout");
    FTitle = new QLineEdit(FSource.Texts.Title, this);
    FTitle->setObjectName("edtTitle");
    FScale = new QComboBox(this);
    FScale->setObjectName("cbxScale");
    FScale->setEditable(true);
    FScale->addItem(FitScale);
    for (const int scale : {200, 500, 1000, 2000, 2500, 5000, 10000, 25000, 50000, 100000})
        FScale->addItem(QString("1:%1").arg(scale));
    FOrientation = new QComboBox(this);
    FOrientation->setObjectName("cbxOrientation");
    FOrientation->addItems({"Portrait", "Landscape"});
    // Across the page for a wide view, as the view is on screen.
    const bool landscape = LandscapeSuits(FSource.View.Width, FSource.View.Height);
    FOrientation->setCurrentIndex(landscape ? 1 : 0);
    FPrinter.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    FShown = new QLabel(this);
    FShown->setObjectName("lblScaleShown");

    auto* form = new QFormLayout;
    form->addRow("&Title:", FTitle);
    form->addRow("&Scale:", FScale);
    form->addRow("&Orientation:", FOrientation);
    form->addRow(FShown);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* print = buttons->addButton("&Print...", QDialogButtonBox::ActionRole);
    print->setObjectName("btnPrint");
    QPushButton* pdf = buttons->addButton("Save P&DF...", QDialogButtonBox::ActionRole);
    pdf->setObjectName("btnSavePdf");
    auto* side = new QVBoxLayout;
    side->addLayout(form);
    side->addStretch();
    side->addWidget(buttons);

    FPreview = new QPrintPreviewWidget(&FPrinter, this);
    FPreview->setObjectName("pvwLayout");
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(FPreview, 1);
    resize(900, 640);

    PrintDialog = [](QPrinter& chosen, QWidget* owner) {
        QPrintDialog dialog(&chosen, owner);
        return dialog.exec() == QDialog::Accepted;
    };
    PdfDialog = [](QWidget* owner) {
        return AskSaveFileName(owner, "Save layout as PDF", "layout.pdf", "PDF documents (*.pdf)");
    };
    connect(FPreview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* device) {
        RunGuarded([&] { Paint(*device, device->resolution()); });
    });
    connect(FTitle, &QLineEdit::textChanged, this, [this] { Changed(); });
    connect(FScale, &QComboBox::currentTextChanged, this, [this] { Changed(); });
    connect(FOrientation, &QComboBox::currentIndexChanged, this, [this](int index) {
        FPrinter.setPageOrientation(index == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
        Changed();
    });
    connect(print, &QPushButton::clicked, this, [this] { RunGuarded([&] { Print(); }); });
    connect(pdf, &QPushButton::clicked, this, [this] {
        RunGuarded([&] {
            const QString fileName = PdfDialog(this);
            if (!fileName.isEmpty())
                SavePdf(fileName);
        });
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Changed();
}

std::optional<TSheetPlan> TPrintLayoutDialog::Plan() const {
    const QString text = FScale->currentText().trimmed();
    const std::optional<double> scale =
        text.compare(FitScale, Qt::CaseInsensitive) == 0 ? 0.0 : ParseScale(text);
    if (!scale)
        return std::nullopt;
    return PlanSheet(FPrinter.pageLayout().paintRect(QPageLayout::Millimeter).size(), FSource.View,
                     *scale, FSource.MetresPerUnit);
}

void TPrintLayoutDialog::Changed() {
    const std::optional<TSheetPlan> plan = Plan();
    FShown->setText(
        plan ? "The sheet is at 1:" + FormatGeneral(plan->Scale, 15, SystemDecimalSeparator()) + "."
             : "Type a scale as 1:N, or Fit.");
    FPreview->updatePreview();
}

void TPrintLayoutDialog::Paint(QPagedPaintDevice& device, double dpi) {
    QPainter painter;
    if (!painter.begin(&device))
        throw Exception("The printer could not start the document.");
    // While a scale is being typed that is not one yet, the page is left blank.
    if (const std::optional<TSheetPlan> plan = Plan()) {
        TSheetTexts texts = FSource.Texts;
        texts.Title = FTitle->text();
        PaintMapSheet(painter, dpi, *plan, FSource.MetresPerUnit, texts, FSource.DrawMap);
    }
    if (!painter.end())
        throw Exception("The printer could not finish the document.");
}

void TPrintLayoutDialog::Print() {
    if (!Plan())
        throw Exception("Type a scale as 1:N, or Fit, before printing.");
    if (PrintDialog(FPrinter, this))
        Paint(FPrinter, FPrinter.resolution());
    FPreview->updatePreview(); // the paper or the orientation may have changed
}

void TPrintLayoutDialog::SavePdf(const QString& fileName) {
    if (!Plan())
        throw Exception("Type a scale as 1:N, or Fit, before saving.");
    SaveFile(fileName, [&](QIODevice& out) {
        QPdfWriter pdf(&out);
        pdf.setPageLayout(FPrinter.pageLayout());
        pdf.setResolution(FPrinter.resolution());
        pdf.setTitle(FTitle->text());
        pdf.setCreator(QCoreApplication::applicationName());
        Paint(pdf, pdf.resolution());
    });
}
