#pragma once
// Texts by 16-bit identifier. A string module maps identifiers to texts; a missing identifier
// yields the empty text, and LoadResText then falls back to the caller's default. The program's
// own module is compiled in; a resource library (a text file, see README) may replace it.
#include <QString>
#include <cstdint>
#include <map>
#include <memory>

class TStringModule {
public:
    TStringModule() = default;
    explicit TStringModule(std::map<uint16_t, QString> strings) : FStrings(std::move(strings)) {}
    // Reads a resource library file; nullptr when it cannot be read.
    static std::unique_ptr<TStringModule> LoadFromFile(const QString& fileName);

    QString String(uint16_t id) const;

private:
    std::map<uint16_t, QString> FStrings;
};

// The program's own strings.
const TStringModule& ProgramStringModule();

// The string of that number from the current string module, at most 1023 characters;
// empty when there is none.
QString ReadResourceString(uint16_t id);
// ReadResourceString, or defaultText when that is empty.
QString LoadResText(uint16_t id, const QString& defaultText);
// Makes module the current string module; nullptr selects the program's own. The caller keeps
// ownership and keeps the module alive while it is current.
void SetStringModule(const TStringModule* module);
