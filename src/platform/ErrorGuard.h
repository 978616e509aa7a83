#pragma once
// The application's top-level handler. Qt does not let exceptions cross its event loop, so every
// entry point from Qt into the program's code runs its work through RunGuarded: an escaped error
// is shown (through the reporter the application installs) and the program carries on.
#include <QString>
#include <exception>
#include <functional>
#include <new>

using TErrorReporter = std::function<void(const QString& message)>;

// Installs the reporter; the default one writes the message to the log.
void SetErrorReporter(TErrorReporter reporter);
void ReportError(const QString& message);

template <class Work> void RunGuarded(Work&& work) noexcept {
    try {
        work();
    } catch (const std::bad_alloc&) {
        ReportError("Out of memory");
    } catch (const std::exception& error) {
        ReportError(QString::fromStdString(error.what()));
    } catch (...) {
        ReportError("Unknown error");
    }
}
