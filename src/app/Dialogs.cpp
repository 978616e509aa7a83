#include "Dialogs.h"
#include "export/SavedFile.h"

#include <QFileDialog>
#include <QInputDialog>

std::optional<double> AskNumber(QWidget* parent, const QString& title, const QString& label,
                                double value, double minimum, double maximum, int decimals,
                                double step) {
    bool ok = false;
    const double number = QInputDialog::getDouble(parent, title, label, value, minimum, maximum,
                                                  decimals, &ok, Qt::WindowFlags(), step);
    return ok ? std::optional(number) : std::nullopt;
}

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter) {
    QString chosenType;
    const QString name =
        QFileDialog::getSaveFileName(parent, caption, suggested, filter, &chosenType);
    return WithFilterExtension(name, chosenType);
}

std::optional<int> AskChoice(QWidget* parent, const QString& title, const QString& label,
                             const QStringList& items) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
    return ok ? std::optional(int(items.indexOf(chosen))) : std::nullopt;
}

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}
