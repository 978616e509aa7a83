#include "VrkInfo.h"
#include "platform/DescriptorOutput.h"
#include "platform/FileNames.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
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
