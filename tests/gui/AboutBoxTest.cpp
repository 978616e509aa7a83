// The About box filled from version blocks of written program files.
#include "support/AboutBox.h"
#include "ElfWriter.h"
#include "VersionBlockWriter.h"
#include "support/Animate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct AboutBoxTest : ::testing::Test {
    QString Program(const std::vector<std::pair<std::string, std::string>>& strings) {
        TVersionBlockContent content;
        content.FileVersion = {2, 1, 0, 34};
        content.Translations.push_back({0x0409, 0x04E4, strings});
        const QString path = dir.filePath("program");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ElfWithSection(".vrkversion", WriteVersionBlock(content)));
        return path;
    }
    QTemporaryDir dir;
};
} // namespace

TEST_F(AboutBoxTest, TextsComeFromTheVersionBlock) {
    TfrmAboutBox box(Program({{"FileDescription", "Model viewer"},
                              {"ProductName", "Viewer"},
                              {"LegalCopyright", "(C) Us"},
                              {"Comments", "First"},
                              {"LegalTrademarks", "Mark"}}),
                     nullptr);
    EXPECT_EQ(box.windowTitle(), "About Viewer");
    EXPECT_EQ(box.ProductNameText(), "Model viewer");
    EXPECT_EQ(box.VersionText(), "Version 2.1.0.34");
    EXPECT_EQ(box.CopyrightText(), "(C) Us");
    EXPECT_EQ(box.CommentsText(), "First\n\nMark");
}

TEST_F(AboutBoxTest, NoCommentsShrinkTheBox) {
    TfrmAboutBox withComments(Program({{"Comments", "One\nTwo\nThree\nFour\nFive\nSix\nSeven"}}),
                              nullptr);
    TfrmAboutBox without(Program({{"ProductName", "Viewer"}}), nullptr);
    EXPECT_EQ(without.CommentsText(), "");
    EXPECT_LT(without.height(), 234);
    EXPECT_GT(withComments.height(), without.height());
}

TEST_F(AboutBoxTest, WithoutAVersionBlockTheTitleStandsInAndTheClipIsDropped) {
    QFile file(dir.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no program here");
    file.close();
    QCoreApplication::setApplicationName("Vandrel TIN Model Viewer");
    TfrmAboutBox box(dir.filePath("plain"), nullptr);
    EXPECT_EQ(box.ProductNameText(), "Vandrel TIN Model Viewer");
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.VersionText(), "Version");
    EXPECT_EQ(box.Animation(), nullptr) << "no Vlogo.avi beside it";
}

TEST_F(AboutBoxTest, TheClipIsFoundBesideTheProgramOrInItsInstalledDataFolder) {
    QDir(dir.path()).mkpath("usr/bin");
    QDir(dir.path()).mkpath("usr/share/vrkviewer");
    const QString program = dir.filePath("usr/bin/vrkviewer");
    EXPECT_EQ(LogoClipPath(program), dir.filePath("usr/bin/Vlogo.avi")) << "neither: beside";
    QFile installed(dir.filePath("usr/share/vrkviewer/Vlogo.avi"));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    EXPECT_EQ(LogoClipPath(program), installed.fileName());
    QFile beside(dir.filePath("usr/bin/Vlogo.avi"));
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(LogoClipPath(program), beside.fileName()) << "the build's own first";
}

TEST_F(AboutBoxTest, TheProgramsOwnBoxPlaysTheLogo) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 600, 500);
    TfrmAboutBox box(VRK_VIEWER_PATH, &mainWindow);
    EXPECT_EQ(box.VersionText(), "Version 2.1.0.34");
    ASSERT_NE(box.Animation(), nullptr);
    EXPECT_TRUE(box.Animation()->Active());
    const QPoint centre = box.frameGeometry().center();
    EXPECT_NEAR(centre.x(), mainWindow.frameGeometry().center().x(), 2);
}

TEST_F(AboutBoxTest, FixedSizeAndAPictureThatIsNotGreyed) {
    TfrmAboutBox box(VRK_VIEWER_PATH, nullptr);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.minimumSize(), box.size());
    EXPECT_EQ(box.maximumSize(), box.size()) << "the controls are placed for this size";
    const auto* picture = box.findChild<QLabel*>("imgAppIcon");
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->isEnabled()) << "drawn as it is, not greyed";
    EXPECT_TRUE(picture->testAttribute(Qt::WA_TransparentForMouseEvents));
}
