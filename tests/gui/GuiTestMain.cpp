// Runs GUI tests with a QApplication on the offscreen platform; errors that reach the top-level
// handler are recorded instead of shown in a message box.
#include "GuiTestSupport.h"
#include "platform/ErrorGuard.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

QStringList& ReportedErrors() {
    static QStringList errors;
    return errors;
}

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests' pixel figures are for 96 dots per inch, whatever the machine's font setting.
    qputenv("QT_FONT_DPI", "96");
    // The program's settings (recent files) in a folder of the run's own.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QApplication application(argc, argv);
    SetErrorReporter([](const QString& message) { ReportedErrors().append(message); });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
