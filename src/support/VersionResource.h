#pragma once
// The program's version block. The build places it in the executable's ".vrkversion" section;
// three small functions stand in for the platform's version-information calls (its size, its
// bytes, a value by path), and TVersionResource answers named strings and the file version.
#include "model/ObjectLists.h"

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

// The size of the file's version block, 0 when it has none.
uint32_t FileVersionInfoSize(const QString& fileName);
// Reads the file's version block; false when it has none.
bool FileVersionInfo(const QString& fileName, std::vector<char>& data);
// A value of the block by path: "\" is the fixed file information, "\VarFileInfo\Translation"
// the translation list, "\StringFileInfo\<translation>\<name>" a string (UTF-16). False when
// the path names nothing.
bool VersionQueryValue(const std::vector<char>& data, const QString& path, std::string_view& value);

class TVersionResource : public TBaseObject {
public:
    // Raises Exception "No version info found in <file>." when the file has no block with
    // fixed file information.
    explicit TVersionResource(const QString& fileName);
    const char* ClassName() const override { return "TVersionResource"; }

    QString StringValue(const QString& name) const;
    QString FixedFileVersion() const;
    QString FileVersion() const;
    QString TranslationPath() const;

private:
    std::vector<char> FVersionData;
    std::string_view FFixedInfo;
};
