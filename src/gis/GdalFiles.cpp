#include "GdalFiles.h"
#include "export/SavedFile.h"
#include "platform/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cpl_error.h>
#include <gdal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

void InitGdal() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

namespace {
// The failures GDAL reports while it is in scope, kept rather than printed.
class TGdalErrors {
public:
    TGdalErrors() {
        CPLErrorReset();
        CPLPushErrorHandlerEx(&TGdalErrors::Handle, this);
    }
    ~TGdalErrors() { CPLPopErrorHandler(); }
    TGdalErrors(const TGdalErrors&) = delete;
    TGdalErrors& operator=(const TGdalErrors&) = delete;
    bool Failed() const { return !FMessage.empty(); }
    const std::string& Message() const { return FMessage; }

private:
    static void Handle(CPLErr level, CPLErrorNum, const char* message) {
        auto* self = static_cast<TGdalErrors*>(CPLGetErrorHandlerUserData());
        if (level >= CE_Failure && self && self->FMessage.empty())
            self->FMessage = message ? message : "failed";
    }
    std::string FMessage;
};

thread_local TGdalErrors* CurrentErrors = nullptr;

[[noreturn]] void WriteFailed(const QString& target, const std::string& reason) {
    throw EFWriteError("Cannot write", target.toStdString(), reason);
}

bool IsRegularOrMissing(const QString& path, bool& isFolder) {
    struct stat info {};
    isFolder = false;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return true;
    isFolder = S_ISDIR(info.st_mode);
    return S_ISREG(info.st_mode);
}
} // namespace

void GdalFailed(const QString& target, const char* step) {
    std::string reason = CurrentErrors && CurrentErrors->Failed() ? CurrentErrors->Message() : "";
    WriteFailed(target, reason.empty() ? std::string(step) + " failed" : reason);
}

void SaveWithGdal(const QString& target,
                  const std::function<void(const std::string& path)>& write) {
    InitGdal();
    const QFileInfo info(target);
    bool isFolder = false;
    const bool regular = IsRegularOrMissing(target, isFolder);
    if (isFolder)
        WriteFailed(target, "Is a directory");
    QTemporaryDir folder(info.absoluteDir().filePath("." + info.fileName() + "-XXXXXX"));
    if (!folder.isValid())
        WriteFailed(target, folder.errorString().toStdString());
    const QString made = folder.filePath(info.fileName());
    {
        TGdalErrors errors;
        CurrentErrors = &errors;
        struct TReset {
            ~TReset() { CurrentErrors = nullptr; }
        } reset;
        write(QFile::encodeName(made).toStdString());
        if (errors.Failed())
            WriteFailed(target, errors.Message());
    }
    const QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    if (files.isEmpty())
        WriteFailed(target, "nothing was written");
    if (!regular) { // a device or a pipe: one file's bytes into it
        if (files.size() != 1)
            WriteFailed(target, "not a regular file");
        QFile source(folder.filePath(files[0]));
        if (!source.open(QIODevice::ReadOnly))
            WriteFailed(target, source.errorString().toStdString());
        SaveFile(target, [&](QIODevice& out) {
            while (!source.atEnd())
                out.write(source.read(1 << 20));
        });
        return;
    }
    const QString stem = info.completeBaseName();
    for (const QString& file : files) {
        // The shapefile's parts keep their own extensions beside the target's name.
        const QString suffix = file.mid(QFileInfo(made).completeBaseName().size());
        const QString destination = info.absoluteDir().filePath(stem + suffix);
        if (std::rename(QFile::encodeName(folder.filePath(file)).constData(),
                        QFile::encodeName(destination).constData()) != 0)
            WriteFailed(destination, std::strerror(errno));
    }
}
