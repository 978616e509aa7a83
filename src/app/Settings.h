#pragma once
// What the viewer keeps between runs (recent files, tool window places), in
// ~/.config/vrkviewer/vrkviewer.conf.
#include <QSettings>

#include <memory>

inline std::unique_ptr<QSettings> ProgramSettings() {
    return std::make_unique<QSettings>("vrkviewer", "vrkviewer");
}
