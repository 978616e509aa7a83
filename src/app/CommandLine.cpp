#include "CommandLine.h"

namespace {
// Options the application may have, each with its value.
const QStringList KeptWithValue = {"-platform", "-display", "-platformpluginpath", "-plugin"};
const QStringList KeptAlone = {"-nograb", "-dograb", "-sync"};
// Options of Qt's that take a value and change the look: dropped with the value.
const QStringList DroppedWithValue = {
    "-style",       "-stylesheet",   "-session",    "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle", "-geometry",   "-platformtheme",
    "-title",       "-name",         "-font",       "-fn",
    "-background",  "-bg",           "-foreground", "-fg",
    "-button",      "-btn",          "-visual",     "-widgetcount"};

// Qt takes "--style" as "-style" too.
QString OptionName(const QString& argument) {
    return argument.startsWith("--") ? argument.mid(1) : argument;
}
} // namespace

TCommandLine SplitCommandLine(const QStringList& arguments) {
    TCommandLine line;
    line.QtArguments.append(arguments.value(0));
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--") {
            if (line.ModelFile.isEmpty())
                line.ModelFile = arguments.value(i + 1);
            break;
        }
        if (!argument.startsWith('-') || argument == "-") {
            if (line.ModelFile.isEmpty())
                line.ModelFile = argument;
            continue;
        }
        const QString option = OptionName(argument);
        const bool hasValue = i + 1 < arguments.size();
        if (KeptWithValue.contains(option) && hasValue) {
            line.QtArguments << option << arguments[++i];
        } else if (KeptAlone.contains(option)) {
            line.QtArguments << option;
        } else if (DroppedWithValue.contains(option) && hasValue) {
            ++i;
        }
    }
    return line;
}
