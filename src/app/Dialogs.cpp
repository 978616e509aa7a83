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

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}
