#pragma once
// The viewer's command line. Qt's options that only say where the program runs (the platform,
// the display, plug-ins) go to the application; those that change its look (-reverse, -style...)
// are never applied, and with their values are not taken for the model file either. The model
// file is the first argument that is no option, or the one after "--", whatever it starts with.
#include <QString>
#include <QStringList>

struct TCommandLine {
    QStringList QtArguments; // the program's name first, as QApplication wants them
    QString ModelFile;       // empty when none is given
};

TCommandLine SplitCommandLine(const QStringList& arguments);
