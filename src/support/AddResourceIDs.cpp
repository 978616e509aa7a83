#include "AddResourceIDs.h"
#include "ResourceControls.h"
#include "platform/StringModule.h"
#include "platform/TextStream.h"

#include <QFileInfo>
#include <QWidget>
#include <memory>

namespace {
// The path with its extension replaced (or added).
QString WithExtension(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    const QString base =
        info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
    return base + extension;
}

bool HasLetter(const QString& text) {
    for (QChar c : text)
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
            return true;
    return false;
}

QString Quoted(QString text) {
    return "\"" + text.replace("\"", "\"\"") + "\"";
}
} // namespace

TAddResourceIDs::TAddResourceIDs(QObject* owner) : QObject(owner) {}

QWidget* TAddResourceIDs::OwnerForm() const {
    auto* widget = qobject_cast<QWidget*>(parent());
    return widget && widget->isWindow() ? widget : nullptr;
}

void TAddResourceIDs::SetFormCaptionResourceID(int32_t value) {
    FFormCaptionResourceID = value;
    if (QWidget* form = value != 0 ? OwnerForm() : nullptr)
        form->setWindowTitle(LoadResText(static_cast<uint16_t>(value), form->windowTitle()));
}

void TAddResourceIDs::SetExecute(bool value) {
    if (value == FExecute)
        return;
    FExecute = false;
    if (!value || StartID <= 0 || Filename.isEmpty() || Loading)
        return;
    try {
        Write();
        FExecute = true;
    } catch (...) {
        // A design-time tool: a file that cannot be written leaves Execute off, nothing more.
    }
}

void TAddResourceIDs::Write() {
    TTextStream script(WithExtension(Filename, ".rc"));
    script.WriteText("#include \"" + WithExtension(QFileInfo(Filename).fileName(), ".pas") +
                     "\"\r\nSTRINGTABLE\r\n{\r\n");
    {
        TTextStream constants(WithExtension(Filename, ".pas"));
        if (parent())
            for (QObject* component : parent()->findChildren<QObject*>())
                NumberTexts(component, script, constants);
    }
    script.WriteLine("}");
}

void TAddResourceIDs::NumberTexts(QObject* component, TTextStream& script, TTextStream& constants) {
    const QString name = component->objectName();
    if (auto* dialog = dynamic_cast<TResFileDialog*>(component)) {
        dialog->SetTitleResourceID(static_cast<uint16_t>(
            Number("T_" + name, dialog->Title, dialog->TitleResourceID(), script, constants)));
        dialog->SetFilterResourceID(static_cast<uint16_t>(
            Number("F_" + name, dialog->Filter, dialog->FilterResourceID(), script, constants)));
    } else if (auto* control = dynamic_cast<TResCaptionedBase*>(component)) {
        control->SetResourceID(static_cast<uint16_t>(
            Number(name, control->Caption(), control->ResourceID(), script, constants)));
        control->SetHintResourceID(static_cast<uint16_t>(
            Number("H_" + name, control->Hint(), control->HintResourceID(), script, constants)));
    } else if (auto* writer = dynamic_cast<TAddResourceIDs*>(component)) {
        if (QWidget* form = writer->OwnerForm())
            writer->SetFormCaptionResourceID(Number("Caption", form->windowTitle(),
                                                    writer->FormCaptionResourceID(), script,
                                                    constants));
    }
}

int32_t TAddResourceIDs::Number(const QString& namePart, const QString& text, int32_t identifier,
                                TTextStream& script, TTextStream& constants) {
    if (identifier != 0)
        return identifier;
    if (text.startsWith(u'?') || !HasLetter(text))
        return 0;
    const int32_t id = StartID++;
    const QString constant = Prefix + namePart;
    constants.WriteLine("\t" + constant + "\t=\t" + QString::number(id) + ";");
    script.WriteLine(" " + constant + ", " + Quoted(text));
    return id;
}
