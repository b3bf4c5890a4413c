// Small pieces the tool dialogs build themselves from: named buttons, check
// boxes and radio groups, the red text of a refused value, the read-only
// status field, the OK/Cancel row, the message boxes a dialog falls back on,
// and the guard that keeps a dialog still while a long step lets events
// through.
#pragma once

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "shell/FileDialog.h"

namespace toolwidgets {

inline void SetRed(QLineEdit* e, bool red)
{
    QPalette p = e->palette();
    p.setColor(QPalette::Text, red ? Qt::red : Qt::black);
    e->setPalette(p);
}

inline QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint = nullptr)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (hint) b->setToolTip(QString::fromLatin1(hint));
    return b;
}

inline QCheckBox* Check(QWidget* parent, const char* name, const char* caption)
{
    auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
    c->setObjectName(name);
    return c;
}

// A group of radio buttons with the captions, numbered from 0.
inline QGroupBox* Radios(QWidget* parent, const char* name, const char* caption,
                         std::initializer_list<const char*> items, QButtonGroup*& group)
{
    auto* box = new QGroupBox(QString::fromLatin1(caption), parent);
    box->setObjectName(name);
    auto* v = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    int i = 0;
    for (const char* item : items) {
        auto* r = new QRadioButton(QString::fromLatin1(item), box);
        group->addButton(r, i++);
        v->addWidget(r);
    }
    return box;
}

// Checks radio button id, or the first when id is not one of them.
inline void CheckRadio(QButtonGroup* group, int id)
{
    QAbstractButton* b = group->button(id);
    if (!b) b = group->button(0);
    if (b) b->setChecked(true);
}

// A read-only status that shows its whole text: it wraps at its width and
// asks to stand as tall as the wrapped text, so that the dialog grows with it
// (a dialog's layout leaves a wrapped text one line otherwise).
class TStatusField : public QLabel {
public:
    explicit TStatusField(QWidget* parent) : QLabel(parent)
    {
        setObjectName("StatusEB");
        setWordWrap(true);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
        setTextFormat(Qt::PlainText);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setMinimumWidth(fontMetrics().horizontalAdvance(QString(50, 'n')));
    }
    QSize minimumSizeHint() const override
    {
        const QSize least = QLabel::minimumSizeHint();
        return {least.width(), std::max(least.height(), heightForWidth(width()))};
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        updateGeometry(); // the text's height at the new width
    }
};

// The read-only "Status:" field under the dialog's controls.
inline QLabel* AddStatusField(QWidget* parent, QVBoxLayout* v)
{
    auto* e = new TStatusField(parent);
    auto* form = new QFormLayout;
    form->addRow("Status:", e);
    v->addLayout(form);
    return e;
}

inline void ShowStatus(QLabel* e, const std::string& text)
{
    e->setText(Latin1(text));
    e->repaint();
}

// The closing row: the buttons on the right.
inline void AddButtonRow(QVBoxLayout* v, std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    v->addLayout(row);
}

// Runs a file dialog (through run when given); true with the chosen file.
inline bool ChooseFile(QFileDialog& d, const std::function<bool(QFileDialog&)>& run, std::string& file)
{
    const bool chosen = run ? run(d) : d.exec() == QDialog::Accepted;
    const QStringList files = ChosenFiles(d);
    if (!chosen || files.isEmpty()) return false;
    file = DiskName(files.first());
    return !file.empty();
}

// The message boxes a dialog was given, else Qt's over the dialog.
class TDialogBoxes {
public:
    TMessageSink& Of(QWidget* dialog, TMessageSink* given)
    {
        if (given) return *given;
        if (!Own) Own = std::make_unique<TQtMessageBoxes>(dialog);
        return *Own;
    }

private:
    std::unique_ptr<TMessageSink> Own;
};

// Keeps a dialog disabled while a long step lets events through.
class TBusy {
public:
    explicit TBusy(QWidget* w) : W(w) { W->setEnabled(false); }
    ~TBusy() { W->setEnabled(true); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    QWidget* W;
};

} // namespace toolwidgets
