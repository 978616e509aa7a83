#include "MainWindow.h"
#include "support/ErrorGuard.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    // The top-level handler: every error that escapes a command is shown, and the program
    // carries on.
    SetErrorReporter([](const QString& message) {
        QMessageBox::critical(QApplication::activeWindow(), ApplicationTitle, message);
    });
    TfrmTINMap mainWindow(QApplication::arguments().mid(1));
    mainWindow.show();
    return QApplication::exec();
}
