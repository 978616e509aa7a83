#include "StringModule.h"

#include <QFile>
#include <QTextStream>

namespace {
const TStringModule* CurrentModule = nullptr;
}

std::unique_ptr<TStringModule> TStringModule::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return nullptr;
    std::map<uint16_t, QString> strings;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype tab = line.indexOf(u'\t');
        if (line.startsWith(u'#') || tab <= 0)
            continue;
        bool ok = false;
        const uint id = line.left(tab).trimmed().toUInt(&ok);
        if (ok && id <= 0xFFFF)
            strings[static_cast<uint16_t>(id)] =
                line.mid(tab + 1).replace(QLatin1String("\\n"), "\n");
    }
    return std::make_unique<TStringModule>(std::move(strings));
}

QString TStringModule::String(uint16_t id) const {
    const auto found = FStrings.find(id);
    return found == FStrings.end() ? QString() : found->second;
}

const TStringModule& ProgramStringModule() {
    // This program's string table holds no entries: every lookup takes its default text.
    static const TStringModule own;
    return own;
}

QString ReadResourceString(uint16_t id) {
    const TStringModule& module = CurrentModule ? *CurrentModule : ProgramStringModule();
    return module.String(id).left(1023);
}

QString LoadResText(uint16_t id, const QString& defaultText) {
    const QString text = ReadResourceString(id);
    return text.isEmpty() ? defaultText : text;
}

void SetStringModule(const TStringModule* module) {
    CurrentModule = module;
}
