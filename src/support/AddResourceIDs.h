#pragma once
// TAddResourceIDs: a design-time helper that sits on a window. Switching Execute on numbers
// every text of the window's resource-captioned controls that has no identifier yet, from
// StartID on, and writes a resource script (".rc") and a constants file (".pas") for them.
#include <QObject>
#include <QString>
#include <cstdint>

class TTextStream;

class TAddResourceIDs : public QObject {
public:
    // owner: the window the component sits on.
    explicit TAddResourceIDs(QObject* owner);

    int32_t StartID = 0;
    QString Filename;
    QString Prefix;
    bool Execute() const { return FExecute; }
    void SetExecute(bool value);
    int32_t FormCaptionResourceID() const { return FFormCaptionResourceID; }
    void SetFormCaptionResourceID(int32_t value);
    // While the window description is being read the writer never runs.
    bool Loading = false;

private:
    void Write();
    void NumberTexts(QObject* component, TTextStream& script, TTextStream& constants);
    int32_t Number(const QString& namePart, const QString& text, int32_t identifier,
                   TTextStream& script, TTextStream& constants);
    QWidget* OwnerForm() const;

    bool FExecute = false;
    int32_t FFormCaptionResourceID = 0;
};
