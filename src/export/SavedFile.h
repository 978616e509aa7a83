#pragma once
// A file written whole or not at all. A new or regular file: the text goes to a temporary file
// beside it (beside the file a symbolic link names), which replaces it only when every write,
// the sync and the close succeeded, keeping the old file's permissions. An existing output that
// is not a regular file (a device, a pipe) is written to directly and never replaced; a
// directory is refused. A failure raises Exception with a message that names the file and the
// system's reason, and leaves no partial file behind; so does an error the writer raises.
#include <QByteArray>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QIODevice;

void SaveFile(const QString& fileName, const std::function<void(QIODevice& out)>& write);
// Regular files that belong together (a shapefile's parts), whole or not at all: each is
// written and synced beside its name before any replaces what is there.
void SaveFiles(const std::vector<std::pair<QString, QByteArray>>& files);

// A name typed without an extension gets the first one of the type chosen in a file dialog
// ("PNG pictures (*.png)" gives .png); a name with an extension keeps it.
QString WithFilterExtension(const QString& fileName, const QString& selectedFilter);
