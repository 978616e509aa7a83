#pragma once
// The models opened last and the folder the Open dialog starts in, kept between runs in the
// program's settings.
#include <QString>
#include <QStringList>

namespace RecentFiles {
inline constexpr int Most = 8;
// The files, the latest first.
QStringList List();
// Puts the file first in the list (once) and its folder as the last used.
void Add(const QString& fileName);
// Takes the file off the list (one no longer there).
void Remove(const QString& fileName);
// The folder of the last file opened or saved; empty before the first.
QString LastFolder();
} // namespace RecentFiles
