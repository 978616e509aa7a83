#include "AboutBox.h"
#include "AddResourceIDs.h"
#include "Animate.h"
#include "ResourceControls.h"
#include "VersionResource.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace {
constexpr uint16_t AboutCaptionString = 8217;

TResLabel* Label(QWidget* parent, const char* name, const QString& text, uint16_t id, QPoint at) {
    auto* label = new TResLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    label->SetResourceID(id);
    label->Loaded();
    label->adjustSize();
    return label;
}
} // namespace

TfrmAboutBox::TfrmAboutBox(const QString& executable, QWidget* mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("frmAboutBox");
    setWindowTitle("About");
    if (mainWindow)
        setFont(mainWindow->font()); // the main window's font
    CreateControls();
    FillFromVersionBlock(executable);
    setFixedSize(size()); // its controls are placed for this size, on every platform
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.left() + (main.width() - frameGeometry().width()) / 2,
             main.top() + (main.height() - frameGeometry().height()) / 2);
    }
    StartLogo(executable);
}

void TfrmAboutBox::CreateControls() {
    resize(348, 234);
    Panel = new TResPanel(this);
    Panel->setObjectName("Panel");
    Panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel->setLineWidth(2);
    Panel->setGeometry(16, 8, 317, 186);
    imgAppIcon = new QLabel(Panel);
    imgAppIcon->setObjectName("imgAppIcon");
    imgAppIcon->setGeometry(16, 16, 32, 32);
    // A picture, not a control: it ignores the mouse but is not drawn greyed.
    imgAppIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    ProductName = Label(Panel, "ProductName", "?FileDescription", 0, {60, 12});
    lblVersion = Label(Panel, "lblVersion", "Version", 8210, {60, 32});
    lblOS = Label(Panel, "lblOS", "For Windows 95,98,2000 and XP   ", 8213, {60, 52});
    Copyright =
        Label(Panel, "Copyright", "Copyright (C) the VRK Viewer developers", 8211, {60, 72});
    Comments = Label(Panel, "Comments", "?Comments", 0, {16, 96});
    Comments->AutoSize = false;
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Comments->setGeometry(16, 96, 289, 81);
    btnOK = new TResButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(128, 201, 81, 25);
    btnOK->setDefault(true);
    btnOK->SetResourceID(8214);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    AddResourceIDs1 = new TAddResourceIDs(this);
    AddResourceIDs1->setObjectName("AddResourceIDs1");
    AddResourceIDs1->StartID = 8216;
    AddResourceIDs1->Filename = "_about";
    AddResourceIDs1->Prefix = "IDS_About_";
    AddResourceIDs1->SetFormCaptionResourceID(8215);
}

void TfrmAboutBox::FillFromVersionBlock(const QString& executable) {
    try {
        const TVersionResource resource(executable);
        ProductName->SetCaption(resource.StringValue("FileDescription"));
        setWindowTitle(LoadResText(AboutCaptionString, "About %s")
                           .replace("%s", resource.StringValue("ProductName")));
        lblVersion->SetCaption(lblVersion->Caption() + " " + resource.FileVersion());
        Copyright->SetCaption(resource.StringValue("LegalCopyright"));
        const int designedHeight = Comments->height();
        Comments->clear();
        for (const char* name : {"Comments", "SpecialBuild", "PrivateBuild", "LegalTrademarks"})
            AppendComment(resource, name);
        // The comments label now fits its word-wrapped text; the box grows or shrinks with it.
        const int fitted =
            std::max(Comments->heightForWidth(Comments->width()), fontMetrics().height());
        Comments->resize(Comments->width(), fitted);
        Panel->resize(Panel->width(), Panel->height() + fitted - designedHeight);
        btnOK->move(btnOK->x(), btnOK->y() + fitted - designedHeight);
        resize(width(), height() + fitted - designedHeight);
        imgAppIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    } catch (...) {
        ProductName->SetCaption(QCoreApplication::applicationName());
    }
    for (TResLabel* label : {ProductName, lblVersion, Copyright})
        label->adjustSize();
    WidenToFit();
}

void TfrmAboutBox::WidenToFit() {
    // Texts from the version block may be longer than the design allows for: the panel and the
    // box grow so that no label is cut.
    int right = 0;
    for (TResLabel* label : {ProductName, lblVersion, lblOS, Copyright})
        right = std::max(right, label->geometry().right());
    const int extra = right + 16 - Panel->width();
    if (extra <= 0)
        return;
    Panel->resize(Panel->width() + extra, Panel->height());
    Comments->resize(Comments->width() + extra, Comments->height());
    resize(width() + extra, height());
    btnOK->move(btnOK->x() + extra / 2, btnOK->y());
}

void TfrmAboutBox::AppendComment(const TVersionResource& resource, const QString& name) {
    const QString text = resource.StringValue(name);
    if (text.isEmpty())
        return;
    Comments->setText(Comments->text().isEmpty() ? text : Comments->text() + "\n\n" + text);
}

QString LogoClipPath(const QString& executable) {
    const QDir folder = QFileInfo(executable).absoluteDir();
    const QString beside = folder.filePath("Vlogo.avi");
    const QString installed = QDir::cleanPath(folder.filePath("../share/vrkviewer/Vlogo.avi"));
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}

void TfrmAboutBox::StartLogo(const QString& executable) {
    FAnimation = new TAnimate(this);
    try {
        FAnimation->setParent(Panel);
        FAnimation->setGeometry(8, 8, 46, 44);
        FAnimation->SetActive(false);
        FAnimation->SetFileName(LogoClipPath(executable));
        FAnimation->SetStopFrame(15);
        FAnimation->SetActive(true);
    } catch (...) {
        // Without the clip the icon shows instead.
        delete FAnimation;
        FAnimation = nullptr;
    }
}

QString TfrmAboutBox::ProductNameText() const {
    return ProductName->text();
}

QString TfrmAboutBox::VersionText() const {
    return lblVersion->text();
}

QString TfrmAboutBox::CopyrightText() const {
    return Copyright->text();
}

QString TfrmAboutBox::CommentsText() const {
    return Comments->text();
}
