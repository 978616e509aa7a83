#include "platform/Streams.h"
#include "ModelWriter.h"
#include "platform/Exceptions.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::vector<char> Counting(size_t size) {
    std::vector<char> bytes(size);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}
} // namespace

TEST(StreamsTest, FileStreamReadsLikeMemoryAcrossItsBufferAndAfterSeeks) {
    QTemporaryDir dir;
    const std::string name = dir.filePath("bytes.bin").toStdString();
    const std::vector<char> bytes = Counting(700000);
    ASSERT_TRUE(SaveBytes(name, bytes));
    TFileStream file(name);
    TMemoryStream memory(bytes);
    EXPECT_EQ(file.Size(), 700000);
    for (int64_t position : {0, 5, 262140, 262144, 699990, 100, 300000, 699999, 700000, -4}) {
        file.SetPosition(position);
        memory.SetPosition(position);
        char a[16] = {}, b[16] = {};
        EXPECT_EQ(file.Read(a, 16), memory.Read(b, 16)) << position;
        EXPECT_EQ(std::string(a, 16), std::string(b, 16)) << position;
    }
    file.Seek(-3, TSeekOrigin::End);
    char tail[8];
    EXPECT_THROW(file.ReadBuffer(tail, 4), EReadError);
}

TEST(StreamsTest, OpeningFailuresNameTheFile) {
    try {
        TFileStream stream("/no/such/model.vrk");
        FAIL();
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), "Cannot open file /no/such/model.vrk");
    }
    QTemporaryDir dir;
    EXPECT_THROW(TFileStream(dir.path().toStdString()), EFOpenError) << "a folder is no file";
}

TEST(StreamsTest, NamedPipesAndDevicesAreRefusedAtOnce) {
    QTemporaryDir dir;
    const std::string pipe = dir.filePath("model.vrk").toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto opening = std::async(std::launch::async, [&] {
        try {
            TFileStream stream(pipe);
        } catch (const EFOpenError& error) {
            return error.Message();
        }
        return std::string("opened");
    });
    if (opening.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        // Let the blocked open return, so that the test ends.
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        opening.wait();
        ::close(writer);
        FAIL() << "opening a named pipe waited for a writer";
    }
    EXPECT_EQ(opening.get(), "Cannot open file " + pipe);
    EXPECT_THROW(TFileStream("/dev/null"), EFOpenError);
}
