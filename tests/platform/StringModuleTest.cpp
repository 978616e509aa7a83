#include "platform/StringModule.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(StringModuleTest, MissingAndEmptyStringsTakeTheDefault) {
    EXPECT_EQ(ReadResourceString(6112), "");
    EXPECT_EQ(LoadResText(6112, "List index out of bounds"), "List index out of bounds");
    TStringModule module({{8210, "Versión"}, {8211, ""}, {7, QString(2000, u'x')}});
    SetStringModule(&module);
    EXPECT_EQ(LoadResText(8210, "Version"), "Versión");
    EXPECT_EQ(LoadResText(8211, "Copyright"), "Copyright");
    EXPECT_EQ(ReadResourceString(7).size(), 1023) << "read through a 1024-character buffer";
    SetStringModule(nullptr);
    EXPECT_EQ(LoadResText(8210, "Version"), "Version");
}

TEST(StringModuleTest, ResourceLibraryFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("strings.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "# comment\n8210\tVersion:\n8213\tFor Linux\\nand more\nnot a line\n70000\ttoo big\n");
    file.close();
    const auto module = TStringModule::LoadFromFile(path);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->String(8210), "Version:");
    EXPECT_EQ(module->String(8213), "For Linux\nand more");
    EXPECT_EQ(module->String(4464), "") << "70000 is no 16-bit identifier";
    EXPECT_FALSE(TStringModule::LoadFromFile(dir.filePath("missing.txt")));
}
