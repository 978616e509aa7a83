#include "MainWindow.h"
#include "platform/ErrorGuard.h"
#include "platform/StringModule.h"
#include "support/ToolPictures.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <memory>

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
    QApplication application(argc, argv);
    const std::unique_ptr<TStringModule> strings = ChooseStringModule();
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setWindowIcon(ToolPicture(TToolPicture::Application));
    // The top-level handler: every error that escapes a command is shown, and the program
    // carries on.
    SetErrorReporter([](const QString& message) {
        QMessageBox::critical(QApplication::activeWindow(), ApplicationTitle, message);
    });
    TfrmTINMap mainWindow(QApplication::arguments().mid(1));
    mainWindow.show();
    const int status = QApplication::exec();
    SetStringModule(nullptr);
    return status;
}
