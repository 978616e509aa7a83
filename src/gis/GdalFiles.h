#pragma once
// Files written through GDAL, whole or not at all: the driver writes into a temporary folder
// beside the target, and what it made (one file, or a shapefile's several) is renamed into
// place only when every step succeeded. GDAL's own error messages become the reason given.
#include <QString>

#include <functional>
#include <string>

// Registers GDAL's drivers once; every entry point below calls it.
void InitGdal();

// Runs write(path) with path a name in a temporary folder beside target that has target's
// file name; then moves every file made there beside target, keeping each one's extension.
// A failure of GDAL's (CE_Failure or worse) while write runs, an exception write raises, or a
// failed move raises EFWriteError naming target, and leaves nothing behind. An existing
// target that is not a regular file (a device, a pipe) is written to in place when write made
// one file; a folder is refused.
void SaveWithGdal(const QString& target, const std::function<void(const std::string& path)>& write);

// Raises EFWriteError for target with GDAL's last error message when it reported a failure
// since the scope began; used inside write for a step whose result says it failed.
[[noreturn]] void GdalFailed(const QString& target, const char* step);
