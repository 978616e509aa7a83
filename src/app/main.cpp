#include "CommandLine.h"
#include "MainWindow.h"
#include "platform/ErrorGuard.h"
#include "platform/StringModule.h"
#include "support/ToolPictures.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <memory>
#include <vector>

namespace {
constexpr uint16_t ResourceLibraryString = 999;

// String 999 of the program's own strings may name a resource library; when that file exists
// its strings replace the program's own.
std::unique_ptr<TStringModule> ChooseStringModule() {
    const QString library = ProgramStringModule().String(ResourceLibraryString).left(255);
    if (library.isEmpty() || !QFileInfo::exists(library))
        return nullptr;
    auto module = TStringModule::LoadFromFile(library);
    SetStringModule(module.get());
    return module;
}
} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const TCommandLine line = SplitCommandLine(arguments);
    // Qt sees only the options it may apply; they live as long as the application.
    std::vector<QByteArray> qtBytes;
    for (const QString& argument : line.QtArguments)
        qtBytes.push_back(argument.toLocal8Bit());
    std::vector<char*> qtArgv;
    for (QByteArray& bytes : qtBytes)
        qtArgv.push_back(bytes.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtBytes.size());
    QApplication application(qtArgc, qtArgv.data());
    const std::unique_ptr<TStringModule> strings = ChooseStringModule();
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setWindowIcon(ToolPicture(TToolPicture::Application));
    // The top-level handler: every error that escapes a command is shown, and the program
    // carries on.
    SetErrorReporter([](const QString& message) {
        QMessageBox::critical(QApplication::activeWindow(), ApplicationTitle, message);
    });
    TfrmTINMap mainWindow(line.ModelFile.isEmpty() ? QStringList() : QStringList{line.ModelFile});
    mainWindow.show();
    const int status = QApplication::exec();
    SetStringModule(nullptr);
    return status;
}
