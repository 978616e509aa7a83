#include "VrkInfo.h"
#include "platform/DescriptorOutput.h"
#include "platform/ErrorGuard.h"
#include "platform/FileNames.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// picture draws with the viewer's own map view and drawing, and a PDF report lays out its
// page with Qt's fonts: they need a QApplication, on the offscreen platform (the 3D picture's
// OpenGL comes from the display when there is one).
bool Draws(int argc, char* argv[]) {
    for (int i = 1; i + 1 < argc; ++i) {
        const std::size_t length = std::strlen(argv[i + 1]);
        if (std::strcmp(argv[i], "--report") == 0 && length >= 4 &&
            QByteArray(argv[i + 1] + length - 4).toLower() == ".pdf")
            return true;
    }
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-')
            return std::strcmp(argv[i], "picture") == 0;
    return false;
}
// Qt warns on standard error when the session names no runtime folder, as a command started
// outside a desktop session (from cron, over ssh) may be: the folder Qt would fall back to is
// made and named first, private to the user as Qt wants it.
void ProvideRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray folder =
        QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(uint(::getuid()));
    ::mkdir(folder.constData(), 0700);
    struct stat info {};
    if (::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", folder);
}
} // namespace

int main(int argc, char* argv[]) {
    const bool drawing = Draws(argc, argv);
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    if (drawing) {
        ProvideRuntimeFolder();
        // The picture's view is shown offscreen and may paint before the picture is drawn; a
        // failure there (out of memory, say) comes again where the picture is drawn, which
        // reports it once, as the command's own error.
        SetErrorReporter([](const QString&) {});
    }
    std::unique_ptr<QCoreApplication> application =
        drawing ? std::make_unique<QApplication>(argc, argv)
                : std::make_unique<QCoreApplication>(argc, argv);
    QStringList arguments; // with their bytes, whatever the locale makes of them
    for (int i = 1; i < argc; ++i)
        arguments << FileNameFromBytes(argv[i]);
    TDescriptorOutput output(STDOUT_FILENO);
    QTextStream out(&output);
    QTextStream err(stderr);
    int status = RunVrkInfo(arguments, out, err);
    out.flush();
    if (const int error = output.Finish()) {
        err << "vrkinfo: write error: " << QString::fromLocal8Bit(std::strerror(error)) << '\n';
        status = ExitUnreadable;
    }
    return status;
}
