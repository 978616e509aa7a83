#pragma once
// Controls whose visible texts may come from the string module: each has two 16-bit
// identifiers, and setting one replaces the text it feeds (caption, hint, dialog title or
// filter) by the string of that number, when the string exists and is not empty. Identifier 0
// keeps the designed text.
#include "platform/StringModule.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <cstdint>

// A panel that shows its caption in its middle.
class TCaptionPanel : public QFrame {
public:
    using QFrame::QFrame;
    QString Caption;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// How each kind of control reads and writes the text its first identifier feeds.
inline QString CaptionOf(const QLabel& c) {
    return c.text();
}
inline void SetCaptionOf(QLabel& c, const QString& text) {
    c.setText(text);
}
inline QString CaptionOf(const QAbstractButton& c) {
    return c.text();
}
inline void SetCaptionOf(QAbstractButton& c, const QString& text) {
    c.setText(text);
}
inline QString CaptionOf(const QAction& c) {
    return c.text();
}
inline void SetCaptionOf(QAction& c, const QString& text) {
    c.setText(text);
}
inline QString CaptionOf(const QGroupBox& c) {
    return c.title();
}
inline void SetCaptionOf(QGroupBox& c, const QString& text) {
    c.setTitle(text);
}
inline QString CaptionOf(const TCaptionPanel& c) {
    return c.Caption;
}
inline void SetCaptionOf(TCaptionPanel& c, const QString& text) {
    c.Caption = text;
    c.update();
}

// The common part of the ten captioned controls: a caption and a hint, each with its identifier.
class TResCaptionedBase {
public:
    virtual ~TResCaptionedBase() = default;
    uint16_t ResourceID() const { return FResourceID; }
    uint16_t HintResourceID() const { return FHintResourceID; }
    void SetResourceID(uint16_t id) {
        FResourceID = id;
        if (id != 0)
            SetCaption(LoadResText(id, Caption()));
    }
    void SetHintResourceID(uint16_t id) {
        FHintResourceID = id;
        if (id != 0)
            SetHint(LoadResText(id, Hint()));
    }
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& text) = 0;
    virtual QString Hint() const = 0;
    virtual void SetHint(const QString& text) = 0;
    virtual QString Name() const = 0;

private:
    uint16_t FResourceID = 0;
    uint16_t FHintResourceID = 0;
};

template <class Base> class TResCaptioned : public Base, public TResCaptionedBase {
public:
    using Base::Base;
    QString Caption() const override { return CaptionOf(static_cast<const Base&>(*this)); }
    void SetCaption(const QString& text) override { SetCaptionOf(static_cast<Base&>(*this), text); }
    QString Hint() const override { return this->toolTip(); }
    void SetHint(const QString& text) override { this->setToolTip(text); }
    QString Name() const override { return this->objectName(); }
};

class TResLabel : public TResCaptioned<QLabel> {
public:
    using TResCaptioned::TResCaptioned;
    bool AutoSize = true;
    // After the window's texts are set: a label that sizes itself is re-fitted to a caption that
    // its identifier may have replaced.
    void Loaded() {
        if (AutoSize && ResourceID() != 0)
            adjustSize();
    }
};
class TResButton : public TResCaptioned<QPushButton> {
    using TResCaptioned::TResCaptioned;
};
class TResBitBtn : public TResCaptioned<QPushButton> {
    using TResCaptioned::TResCaptioned;
};
class TResSpeedButton : public TResCaptioned<QToolButton> {
    using TResCaptioned::TResCaptioned;
};
class TResMenuItem : public TResCaptioned<QAction> {
    using TResCaptioned::TResCaptioned;
};
class TResGroupBox : public TResCaptioned<QGroupBox> {
    using TResCaptioned::TResCaptioned;
};
class TResRadioGroup : public TResCaptioned<QGroupBox> {
    using TResCaptioned::TResCaptioned;
};
class TResRadioButton : public TResCaptioned<QRadioButton> {
    using TResCaptioned::TResCaptioned;
};
class TResCheckBox : public TResCaptioned<QCheckBox> {
    using TResCaptioned::TResCaptioned;
};
class TResPanel : public TResCaptioned<TCaptionPanel> {
    using TResCaptioned::TResCaptioned;
};

// A file dialog with a filter ("Description|*.ext|...") and a title, each with its identifier.
class TResFileDialog : public QObject {
public:
    using QObject::QObject;
    QString Filter, Title;
    uint16_t FilterResourceID() const { return FFilterResourceID; }
    uint16_t TitleResourceID() const { return FTitleResourceID; }
    void SetFilterResourceID(uint16_t id) {
        FFilterResourceID = id;
        if (id != 0)
            Filter = LoadResText(id, Filter);
    }
    void SetTitleResourceID(uint16_t id) {
        FTitleResourceID = id;
        if (id != 0)
            Title = LoadResText(id, Title);
    }
    // The filter as Qt's dialogs write it: "Description (*.ext);;...".
    QString QtFilter() const;

private:
    uint16_t FFilterResourceID = 0;
    uint16_t FTitleResourceID = 0;
};

class TResOpenDialog : public TResFileDialog {
public:
    using TResFileDialog::TResFileDialog;
    // The chosen file, or an empty text when the user cancels.
    QString Execute(QWidget* parent) const;
};

class TResSaveDialog : public TResFileDialog {
public:
    using TResFileDialog::TResFileDialog;
    QString Execute(QWidget* parent) const;
};
