#pragma once
// The command-line companion: header, extents, point look-ups and a summary of a model file.
#include <QStringList>
#include <QTextStream>

enum VrkInfoExit { ExitDone = 0, ExitUnreadable = 1, ExitUsage = 2, ExitProblemsFound = 3 };

// Runs one command; arguments exclude the program name. Returns the exit status.
int RunVrkInfo(const QStringList& arguments, QTextStream& out, QTextStream& err);
