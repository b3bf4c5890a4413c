#include "platform/WindowPlacement.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTreeView>
#include <QWidget>

QRect CenteredOver(QSize Box, const QRect& Owner, const QRect& Available)
{
    const int w = std::min(std::max(Box.width(), 1), std::max(Available.width(), 1));
    const int h = std::min(std::max(Box.height(), 1), std::max(Available.height(), 1));
    QRect r(0, 0, w, h);
    r.moveCenter(Owner.center());
    if (Available.isEmpty()) return r;
    r.moveLeft(std::clamp(r.left(), Available.left(), Available.right() + 1 - w));
    r.moveTop(std::clamp(r.top(), Available.top(), Available.bottom() + 1 - h));
    return r;
}

void PlaceOver(QWidget* Box, const QWidget* Owner)
{
    if (!Box || !Owner) return;
    const QWidget* window = Owner->window();
    const QRect owner = window->frameGeometry();
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (!Box->testAttribute(Qt::WA_Resized)) Box->adjustSize();
    // The frame around the box (caption and border) as the window system
    // draws it; nothing before the box has been shown once.
    const QSize frame = Box->frameGeometry().size() - Box->geometry().size();
    const QRect outer = CenteredOver(Box->size() + frame, owner, available);
    Box->move(outer.topLeft());
}

int NameBoxWidth(const QLineEdit& Box, int Chars)
{
    // The box's own size hint is for 17 characters "x"; the rest in proportion.
    return Box.sizeHint().width() + Box.fontMetrics().horizontalAdvance(QLatin1Char('x')) * (Chars - 17);
}

void WidenNameBoxes(QWidget& Form)
{
    for (QLineEdit* e : Form.findChildren<QLineEdit*>()) {
        const int max = e->maxLength();
        if (max < TypicalNameChars || max >= 32767) continue; // not a name box (or a spin box's edit)
        if (e->maximumWidth() < QWIDGETSIZE_MAX) continue;    // a box its dialog sized on purpose
        // A few characters more than a typical name: capitals are wider than "x".
        const int chars = std::min(max, TypicalNameChars + 4);
        e->setMinimumWidth(std::max(e->minimumWidth(), NameBoxWidth(*e, chars)));
    }
}

void FitWholeText(QDialog& Dialog)
{
    WidenNameBoxes(Dialog);
    for (QTabWidget* t : Dialog.findChildren<QTabWidget*>()) t->setUsesScrollButtons(false);
    if (qobject_cast<QFileDialog*>(&Dialog)) {
        // The file list's columns take the width of what they show; the name
        // column has the rest.
        for (QTreeView* v : Dialog.findChildren<QTreeView*>()) {
            QHeaderView* h = v->header();
            h->setStretchLastSection(false);
            for (int c = 0; c < h->count(); ++c)
                h->setSectionResizeMode(c, c == 0 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
        }
        const QSize room(760, 440);
        if (Dialog.width() < room.width() || Dialog.height() < room.height())
            Dialog.resize(Dialog.size().expandedTo(room));
    }
    if (QLayout* l = Dialog.layout()) l->activate();
    const QSize hint = Dialog.sizeHint();
    if (hint.isValid() && Dialog.width() < hint.width() && Dialog.maximumWidth() >= hint.width())
        Dialog.resize(hint.width(), Dialog.height());
}

namespace {
class TDialogFitter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        // Before the dialog places itself over its parent, so it centres at its
        // final size.
        if (Event->type() == QEvent::Show && !Event->spontaneous())
            if (auto* d = qobject_cast<QDialog*>(Watched)) FitWholeText(*d);
        return false;
    }
};
} // namespace

QObject* InstallDialogFitter(QObject* Owner)
{
    auto* f = new TDialogFitter(Owner);
    QCoreApplication::instance()->installEventFilter(f);
    return f;
}
