// Resource-captioned controls and the string-table writer on a window.
#include "support/ResourceControls.h"
#include "support/AddResourceIDs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}
} // namespace

TEST(ResourceControlsTest, IdentifiersReplaceTextsOnlyWhenTheStringExists) {
    TStringModule module({{8210, ""}, {9000, "Replaced hint"}, {9001, "Title"}});
    SetStringModule(&module);
    TResLabel label("Version");
    label.SetResourceID(8210);
    EXPECT_EQ(label.text(), "Version") << "empty string";
    label.SetResourceID(8299);
    EXPECT_EQ(label.text(), "Version") << "missing string";
    EXPECT_EQ(label.ResourceID(), 8299);
    label.setToolTip("Designed hint");
    label.SetHintResourceID(0);
    EXPECT_EQ(label.toolTip(), "Designed hint");
    label.SetHintResourceID(9000);
    EXPECT_EQ(label.toolTip(), "Replaced hint");
    TResMenuItem item("Open", nullptr);
    item.SetResourceID(9001);
    EXPECT_EQ(item.text(), "Title");
    TResOpenDialog dialog;
    dialog.Filter = "Vandrel TIN Models (*.vrk)|*.vrk";
    dialog.SetTitleResourceID(9001);
    EXPECT_EQ(dialog.Title, "Title");
    EXPECT_EQ(dialog.QtFilter(), "Vandrel TIN Models (*.vrk) (*.vrk)");
    SetStringModule(nullptr);
}

TEST(ResourceControlsTest, WriterNumbersTextsAndWritesBothFilesByteForByte) {
    QTemporaryDir dir;
    QWidget window;
    auto* label = new TResLabel("Name: \"x\"", &window);
    label->setObjectName("lblName");
    auto* placeholder = new TResLabel("?FileDescription", &window);
    placeholder->setObjectName("lblProduct");
    auto* digits = new TResButton("1.2 (3)", &window);
    digits->setObjectName("btnDigits");
    auto* writer = new TAddResourceIDs(&window);
    writer->Prefix = "IDS_Test_";
    writer->StartID = 100;
    writer->Filename = dir.filePath("_test.res");
    writer->SetExecute(true);
    EXPECT_TRUE(writer->Execute());
    EXPECT_EQ(Contents(dir.filePath("_test.pas")), "\tIDS_Test_lblName\t=\t100;\r\n");
    EXPECT_EQ(Contents(dir.filePath("_test.rc")),
              "#include \"_test.pas\"\r\nSTRINGTABLE\r\n{\r\n"
              " IDS_Test_lblName, \"Name: \"\"x\"\"\"\r\n}\r\n");
    EXPECT_EQ(label->ResourceID(), 100);
    EXPECT_EQ(label->HintResourceID(), 0) << "an empty hint gets no number";
    EXPECT_EQ(placeholder->ResourceID(), 0);
    EXPECT_EQ(digits->ResourceID(), 0);
    EXPECT_EQ(writer->StartID, 101);

    writer->SetExecute(true);
    EXPECT_EQ(writer->StartID, 101) << "already on: nothing happens";
    window.setWindowTitle("Names");
    label->setToolTip("A hint");
    writer->SetExecute(false);
    writer->SetExecute(true);
    EXPECT_EQ(Contents(dir.filePath("_test.pas")),
              "\tIDS_Test_H_lblName\t=\t101;\r\n\tIDS_Test_Caption\t=\t102;\r\n")
        << "only what still lacks an identifier, the window caption under Caption";
    EXPECT_EQ(writer->FormCaptionResourceID(), 102);
}

TEST(ResourceControlsTest, WriterWritesNothingWithoutStartOrFileOrWhileLoading) {
    QTemporaryDir dir;
    QWidget window;
    (new TResLabel("Name", &window))->setObjectName("lblName");
    auto* writer = new TAddResourceIDs(&window);
    writer->Filename = dir.filePath("none");
    writer->SetExecute(true);
    EXPECT_FALSE(writer->Execute()) << "StartID 0";
    writer->StartID = 5;
    writer->Filename.clear();
    writer->SetExecute(true);
    EXPECT_FALSE(writer->Execute());
    writer->Filename = dir.filePath("none");
    writer->Loading = true;
    writer->SetExecute(true);
    EXPECT_FALSE(writer->Execute());
    EXPECT_FALSE(QFile::exists(dir.filePath("none.rc")));
    writer->Loading = false;
    writer->Filename = dir.filePath("no/such/folder/file");
    writer->SetExecute(true);
    EXPECT_FALSE(writer->Execute()) << "a file that cannot be made is not reported";
}
