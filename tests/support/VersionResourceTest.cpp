// Version blocks written in every layout the About box meets, read back by path.
#include "support/VersionResource.h"
#include "ElfWriter.h"
#include "VersionBlockWriter.h"
#include "platform/Exceptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct VersionResourceTest : ::testing::Test {
    QString Executable(const TVersionBlockContent& content, const char* name = "program") {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ElfWithSection(".vrkversion", WriteVersionBlock(content)));
        return path;
    }
    static TVersionBlockContent Content() {
        TVersionBlockContent content;
        content.FileVersion = {2, 1, 0, 34};
        content.Translations.push_back(
            {0x0809,
             0x04E4,
             {{"ProductName", "Viewer"}, {"FileDescription", "Model viewer"}, {"Comments", "Hi"}}});
        return content;
    }
    QTemporaryDir dir;
};
} // namespace

TEST_F(VersionResourceTest, StringsOfTheFirstTranslationAndTheFixedVersion) {
    TVersionBlockContent content = Content();
    content.Translations.push_back({0x0407, 0x04E4, {{"ProductName", "Betrachter"}}});
    const TVersionResource resource(Executable(content));
    EXPECT_EQ(resource.TranslationPath(), "\\StringFileInfo\\080904E4");
    EXPECT_EQ(resource.StringValue("ProductName"), "Viewer");
    EXPECT_EQ(resource.StringValue("LegalTrademarks"), "");
    EXPECT_EQ(resource.FixedFileVersion(), "2.1.0.34");
    EXPECT_EQ(resource.FileVersion(), "2.1.0.34") << "no FileVersion string";
}

TEST_F(VersionResourceTest, AFileVersionStringWinsUnlessEmpty) {
    TVersionBlockContent content = Content();
    content.Translations[0].Strings.push_back({"FileVersion", "2.1 beta"});
    EXPECT_EQ(TVersionResource(Executable(content)).FileVersion(), "2.1 beta");
    content.Translations[0].Strings.back().second = "";
    EXPECT_EQ(TVersionResource(Executable(content, "other")).FileVersion(), "2.1.0.34");
}

TEST_F(VersionResourceTest, WithoutTranslationListEveryStringIsEmpty) {
    TVersionBlockContent content = Content();
    content.WriteTranslationList = false;
    const TVersionResource resource(Executable(content));
    EXPECT_EQ(resource.TranslationPath(), "");
    EXPECT_EQ(resource.StringValue("ProductName"), "");
    EXPECT_EQ(resource.FileVersion(), "2.1.0.34");
}

TEST_F(VersionResourceTest, FilesWithoutABlockOrFixedInformationAreRefused) {
    TVersionBlockContent content = Content();
    content.WriteFixedInfo = false;
    const QString noFixed = Executable(content);
    const QString text = dir.filePath("text");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a program");
    file.close();
    for (const QString& path : {noFixed, text, dir.filePath("missing")}) {
        try {
            TVersionResource resource(path);
            ADD_FAILURE() << path.toStdString();
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "No version info found in " + path.toStdString() + ".");
        }
    }
}

TEST_F(VersionResourceTest, DamagedBlocksReadAsNothingRatherThanPastTheirEnd) {
    std::vector<char> block = WriteVersionBlock(Content());
    // A cut block finds only values that lie wholly before the cut, and they read the same as
    // in the whole block.
    std::string_view whole;
    ASSERT_TRUE(VersionQueryValue(block, "\\StringFileInfo\\080904E4\\Comments", whole));
    const auto offset = [&](std::string_view v, const std::vector<char>& data) {
        return size_t(v.data() - data.data());
    };
    const size_t commentsEnd = offset(whole, block) + whole.size();
    for (size_t cut = 0; cut < block.size(); cut += 7) {
        std::vector<char> damaged(block.begin(), block.begin() + static_cast<long>(cut));
        std::string_view value;
        if (VersionQueryValue(damaged, "\\StringFileInfo\\080904E4\\Comments", value)) {
            EXPECT_LE(offset(value, damaged) + value.size(), cut) << cut;
            EXPECT_EQ(value, whole) << cut;
        }
        if (VersionQueryValue(damaged, "\\", value)) {
            EXPECT_LE(offset(value, damaged) + value.size(), cut) << cut;
        }
        if (cut < commentsEnd) {
            EXPECT_FALSE(VersionQueryValue(damaged, "\\StringFileInfo\\080904E4\\Comments", value))
                << cut;
        }
    }
    block[0] = '\x7F'; // a length past the end
    std::string_view value;
    EXPECT_FALSE(VersionQueryValue(block, "\\VarFileInfo\\Translation", value));
}

TEST(ProgramVersionTest, TheBuildEmbedsTheProjectVersion) {
    const TVersionResource resource(VRK_VIEWER_PATH);
    EXPECT_EQ(resource.FixedFileVersion(), "2.1.0.34");
    EXPECT_EQ(resource.StringValue("ProductName"), "Vandrel TIN Model Viewer");
    EXPECT_FALSE(resource.StringValue("LegalCopyright").isEmpty());
}
