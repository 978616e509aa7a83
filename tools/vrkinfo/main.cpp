#include "VrkInfo.h"
#include "platform/DescriptorOutput.h"
#include "platform/FileNames.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {
// picture draws with the viewer's own map view and drawing: it needs a QApplication, on the
// offscreen platform (the 3D picture's OpenGL comes from the display when there is one).
bool DrawsPicture(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-')
            return std::strcmp(argv[i], "picture") == 0;
    return false;
}
} // namespace

int main(int argc, char* argv[]) {
    const bool drawing = DrawsPicture(argc, argv);
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
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
