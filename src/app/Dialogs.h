#pragma once
// The standard dialogs the windows ask through: a number, and the name of a file to save,
// which gets the extension of the type chosen when it was typed without one.
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

std::optional<double> AskNumber(QWidget* parent, const QString& title, const QString& label,
                                double value, double minimum, double maximum, int decimals,
                                double step = 1);
// The index of the item chosen from the list; none when cancelled.
std::optional<int> AskChoice(QWidget* parent, const QString& title, const QString& label,
                             const QStringList& items);
// Empty when cancelled.
QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter);
// Empty when cancelled.
QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter);
