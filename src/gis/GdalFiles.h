#pragma once
// Files written through GDAL, whole or not at all: the driver writes into memory, and what it
// made (one file, or a shapefile's several) is written to disk as every output is, checked,
// synced and renamed into place. GDAL's own error messages become the reason given.
#include "platform/Exceptions.h"

#include <QString>

#include <functional>
#include <string>

// A failure GDAL itself reported while making a file (a driver, a coordinate system, a
// geometry), not the disk's.
class EGdalWriteError : public EFWriteError {
public:
    using EFWriteError::EFWriteError;
};

// Registers GDAL's drivers once; every entry point below calls it.
void InitGdal();

// Runs write(path) with path a name in a folder of GDAL's memory files that has target's file
// name; then saves every file made there beside target, keeping each one's extension, and
// removes the parts an older shapefile of that name left which the new one has not. A failure
// of GDAL's (CE_Failure or worse) while write runs, an exception write raises, or a failed
// write to disk raises EFWriteError naming target, and leaves an existing file as it was. An
// existing target that is not a regular file (a device, a pipe) is written to in place when
// write made one file; a folder is refused. The name keeps its bytes; a symbolic link is
// written through.
void SaveWithGdal(const QString& target, const std::function<void(const std::string& path)>& write);

// Raises EFWriteError for target with GDAL's last error message when it reported a failure
// since the scope began; used inside write for a step whose result says it failed.
[[noreturn]] void GdalFailed(const QString& target, const char* step);
