#include "SavedFile.h"
#include "platform/DescriptorOutput.h"
#include "platform/Exceptions.h"
#include "platform/FileNames.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
[[noreturn]] void Fail(const char* what, const QString& fileName, int error) {
    throw EFWriteError(what, fileName.toStdString(), std::strerror(error));
}

// Runs the writer into the descriptor and checks that all of it got there.
void WriteAll(int descriptor, const std::function<void(QIODevice& out)>& write,
              const QString& fileName) {
    TDescriptorOutput out(descriptor);
    try {
        write(out);
    } catch (const Exception&) {
        if (out.Failure() != 0) // the writer gave up because the output did
            Fail("Cannot write file", fileName, out.Failure());
        throw;
    }
    if (const int error = out.Finish())
        Fail("Cannot write file", fileName, error);
}

// The file a name ends at once its symbolic links are followed; the name itself when it is no
// link or its link leads nowhere yet.
QByteArray FinalPath(const QByteArray& path) {
    struct stat link;
    if (lstat(path.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char resolved[PATH_MAX];
    return realpath(path.constData(), resolved) ? QByteArray(resolved) : path;
}

// A temporary file of the process, removed unless it was put in place.
class TTemporaryFile {
public:
    TTemporaryFile(const QByteArray& target, const QString& fileName) {
        for (int attempt = 0; attempt < 100 && FDescriptor < 0; ++attempt) {
            FPath = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
            FDescriptor = open(FPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (FDescriptor < 0 && errno != EEXIST)
                Fail("Cannot create file", fileName, errno);
        }
        if (FDescriptor < 0)
            Fail("Cannot create file", fileName, EEXIST);
    }
    ~TTemporaryFile() {
        if (FDescriptor >= 0)
            close(FDescriptor);
        if (!FPath.isEmpty())
            unlink(FPath.constData());
    }
    int Descriptor() const { return FDescriptor; }
    // Syncs, closes and renames the file onto the target.
    void PutInPlace(const QByteArray& target, const QString& fileName) {
        Finish(fileName);
        Rename(target, fileName);
    }
    void Finish(const QString& fileName) {
        if (fsync(FDescriptor) != 0)
            Fail("Cannot write file", fileName, errno);
        const int closed = close(FDescriptor);
        FDescriptor = -1;
        if (closed != 0)
            Fail("Cannot write file", fileName, errno);
    }
    void Rename(const QByteArray& target, const QString& fileName) {
        if (rename(FPath.constData(), target.constData()) != 0)
            Fail("Cannot write file", fileName, errno);
        FPath.clear();
    }

private:
    QByteArray FPath;
    int FDescriptor = -1;
};

void WriteInPlace(const QByteArray& path, const QString& fileName,
                  const std::function<void(QIODevice& out)>& write) {
    const int descriptor = open(path.constData(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        Fail("Cannot create file", fileName, errno);
    try {
        WriteAll(descriptor, write, fileName);
    } catch (...) {
        close(descriptor);
        throw;
    }
    if (close(descriptor) != 0)
        Fail("Cannot write file", fileName, errno);
}
} // namespace

void SaveFile(const QString& fileName, const std::function<void(QIODevice& out)>& write) {
    const QByteArray path = FileNameBytes(fileName);
    struct stat existing;
    const bool exists = stat(path.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        Fail("Cannot create file", fileName, EISDIR);
    if (exists && !S_ISREG(existing.st_mode))
        return WriteInPlace(path, fileName, write);
    const QByteArray target = FinalPath(path);
    TTemporaryFile temporary(target, fileName);
    if (exists)
        (void)fchmod(temporary.Descriptor(), existing.st_mode & 07777); // as the one it replaces
    WriteAll(temporary.Descriptor(), write, fileName);
    temporary.PutInPlace(target, fileName);
}

void SaveFiles(const std::vector<std::pair<QString, QByteArray>>& files) {
    std::vector<std::unique_ptr<TTemporaryFile>> written;
    std::vector<QByteArray> targets;
    for (const auto& [fileName, contents] : files) {
        const QByteArray path = FileNameBytes(fileName);
        struct stat existing;
        const bool exists = stat(path.constData(), &existing) == 0;
        if (exists && !S_ISREG(existing.st_mode))
            Fail("Cannot create file", fileName, S_ISDIR(existing.st_mode) ? EISDIR : EEXIST);
        targets.push_back(FinalPath(path));
        written.push_back(std::make_unique<TTemporaryFile>(targets.back(), fileName));
        if (exists)
            (void)fchmod(written.back()->Descriptor(), existing.st_mode & 07777);
        WriteAll(
            written.back()->Descriptor(), [&](QIODevice& out) { out.write(contents); }, fileName);
        written.back()->Finish(fileName);
    }
    for (size_t i = 0; i < files.size(); ++i)
        written[i]->Rename(targets[i], files[i].first);
}

QString WithFilterExtension(const QString& fileName, const QString& selectedFilter) {
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    static const QRegularExpression firstPattern(R"(\*\.([A-Za-z0-9]+))");
    const QRegularExpressionMatch match = firstPattern.match(selectedFilter);
    return match.hasMatch() ? fileName + '.' + match.captured(1) : fileName;
}
