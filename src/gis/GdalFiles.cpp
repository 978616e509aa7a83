#include "GdalFiles.h"
#include "export/SavedFile.h"
#include "platform/Exceptions.h"

#include "platform/FileNames.h"

#include <QIODevice>

#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// A folder of GDAL's in-memory files, removed with what is in it.
class TMemoryFolder {
public:
    TMemoryFolder() {
        static std::atomic<unsigned> made{0};
        FPath = "/vsimem/vrk-save-" + std::to_string(::getpid()) + "-" + std::to_string(made++);
        VSIMkdir(FPath.c_str(), 0755);
    }
    ~TMemoryFolder() { VSIRmdirRecursive(FPath.c_str()); }
    TMemoryFolder(const TMemoryFolder&) = delete;
    TMemoryFolder& operator=(const TMemoryFolder&) = delete;
    const std::string& Path() const { return FPath; }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        char** list = VSIReadDir(FPath.c_str());
        for (char** name = list; name && *name; ++name)
            if (std::strcmp(*name, ".") != 0 && std::strcmp(*name, "..") != 0)
                names.emplace_back(*name);
        CSLDestroy(list);
        std::sort(names.begin(), names.end());
        return names;
    }
    QByteArray Contents(const std::string& name) const {
        vsi_l_offset length = 0;
        const GByte* bytes = VSIGetMemFileBuffer((FPath + "/" + name).c_str(), &length, FALSE);
        return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(length));
    }

private:
    std::string FPath;
};

// The part of a file name before its last dot (all of it without one).
QByteArray Stem(const QByteArray& fileName) {
    const qsizetype dot = fileName.lastIndexOf('.');
    return dot > 0 ? fileName.left(dot) : fileName;
}

// The parts a shapefile of this stem may have beside it, which an older one may have left.
void RemoveStaleShapefileParts(const QByteArray& folder, const QByteArray& stem,
                               const std::set<QByteArray>& written) {
    static const char* const parts[] = {"shp", "shx", "dbf", "prj", "cpg",    "qix",
                                        "sbn", "sbx", "fbn", "fbx", "ain",    "aih",
                                        "atx", "ixs", "mxs", "qpj", "shp.xml"};
    for (const char* part : parts)
        for (const QByteArray& extension : {QByteArray(part), QByteArray(part).toUpper()}) {
            const QByteArray path = folder + stem + '.' + extension;
            struct stat info {};
            if (!written.count(path) && ::lstat(path.constData(), &info) == 0 &&
                S_ISREG(info.st_mode))
                ::unlink(path.constData());
        }
}
} // namespace

void GdalFailed(const QString& target, const char* step) {
    std::string reason = CurrentErrors && CurrentErrors->Failed() ? CurrentErrors->Message() : "";
    throw EGdalWriteError("Cannot write", target.toStdString(),
                          reason.empty() ? std::string(step) + " failed" : reason);
}

// GDAL writes into memory, where nothing can fail half-way: its text drivers would not report
// a full disk. The bytes then reach the disk through SaveFile, which checks every write, syncs
// and renames, keeps the name's bytes and writes through a symbolic link.
void SaveWithGdal(const QString& target,
                  const std::function<void(const std::string& path)>& write) {
    InitGdal();
    const QByteArray targetBytes = FileNameBytes(target);
    struct stat info {};
    const bool exists = ::stat(targetBytes.constData(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        WriteFailed(target, "Is a directory");
    const qsizetype slash = targetBytes.lastIndexOf('/');
    const QByteArray folder = targetBytes.left(slash + 1), fileName = targetBytes.mid(slash + 1);
    const TMemoryFolder memory;
    {
        TGdalErrors errors;
        CurrentErrors = &errors;
        struct TReset {
            ~TReset() { CurrentErrors = nullptr; }
        } reset;
        write(memory.Path() + "/" + fileName.toStdString());
        if (errors.Failed())
            throw EGdalWriteError("Cannot write", target.toStdString(), errors.Message());
    }
    const std::vector<std::string> files = memory.Files();
    if (files.empty())
        WriteFailed(target, "nothing was written");
    if (exists && !S_ISREG(info.st_mode) && files.size() != 1)
        WriteFailed(target, "not a regular file");
    // The shapefile's parts keep their own extensions beside the target's name, in capitals
    // when it has its extension in capitals; the part of the target's extension is the target.
    const QByteArray stem = Stem(fileName), typed = fileName.mid(stem.size());
    const bool capitals = typed != typed.toLower();
    std::set<QByteArray> written;
    std::vector<std::pair<QString, QByteArray>> parts;
    for (const std::string& file : files) {
        const QByteArray suffix = QByteArray::fromStdString(file).mid(stem.size());
        const QByteArray destination = files.size() == 1 || suffix.toLower() == typed.toLower()
                                           ? targetBytes
                                           : folder + stem + (capitals ? suffix.toUpper() : suffix);
        parts.push_back({FileNameFromBytes(destination), memory.Contents(file)});
        written.insert(destination);
    }
    if (parts.size() == 1)
        SaveFile(parts[0].first, [&](QIODevice& out) { out.write(parts[0].second); });
    else
        SaveFiles(parts);
    if (files.size() > 1)
        RemoveStaleShapefileParts(folder, stem, written);
}
