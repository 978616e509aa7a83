// File names from the command line keep their bytes, UTF-8 or not.
#include "platform/FileNames.h"

#include <gtest/gtest.h>
#include <random>

TEST(FileNamesTest, BytesComeBackAsTheyWent) {
    EXPECT_EQ(FileNameFromBytes("plain/caf\xC3\xA9.vrk"), QString::fromUtf8("plain/café.vrk"));
    EXPECT_EQ(FileNameBytes(QString::fromUtf8("café \U0001F5FA.vrk")),
              QByteArray("caf\xC3\xA9 \xF0\x9F\x97\xBA.vrk"));
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(int(random() % 12), '\0');
        for (char& b : bytes)
            b = char(random() % 2 ? random() % 256 : "a\xC3\xA9\xE2\x82\xAC\xF0\x9F"[random() % 8]);
        EXPECT_EQ(FileNameBytes(FileNameFromBytes(bytes)), bytes) << bytes.toHex().toStdString();
    }
    // Overlong forms and encoded surrogates are no UTF-8: their bytes stay bytes.
    for (const QByteArray& invalid :
         {QByteArray("\xC0\xAF"), QByteArray("\xED\xA0\x80"), QByteArray("\xF4\x90\x80\x80")})
        EXPECT_EQ(FileNameFromBytes(invalid).size(), invalid.size());
}
