#pragma once
// TfrmAboutBox: the program's description, version, copyright, comments and animated logo, read
// from the version block of an executable file when the box is created.
#include <QDialog>

class QLabel;
class TAddResourceIDs;
class TAnimate;
class TResButton;
class TResLabel;
class TResPanel;
class TVersionResource;

class TfrmAboutBox : public QDialog {
public:
    // executable: the file whose version block fills the box; mainWindow: the window whose font
    // the box takes and on which it is centred, if any.
    TfrmAboutBox(const QString& executable, QWidget* mainWindow);

    QString ProductNameText() const;
    QString VersionText() const;
    QString CopyrightText() const;
    QString CommentsText() const;
    TAnimate* Animation() const { return FAnimation; }

private:
    void CreateControls();
    void FillFromVersionBlock(const QString& executable);
    void AppendComment(const TVersionResource& resource, const QString& name);
    void StartLogo(const QString& executable);
    void WidenToFit();

    TResPanel* Panel;
    QLabel* imgAppIcon;
    TResLabel *ProductName, *lblVersion, *lblOS, *Copyright, *Comments;
    TResButton* btnOK;
    TAddResourceIDs* AddResourceIDs1;
    TAnimate* FAnimation = nullptr;
};

// The About box's logo clip: beside the program, as in the build, or in the installed data
// folder share/vrkviewer beside the program's bin.
QString LogoClipPath(const QString& executable);
