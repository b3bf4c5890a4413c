// Docks, toolbars, buttons and floating windows on a form, driven by the mouse
// and the keyboard as a user would.
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QBoxLayout>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "platform/Activation.h"
#include "platform/SystemColors.h"
#include "toolbars/ButtonGlyph.h"
#include "toolbars/DockButton.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"
#include "toolbars/ToolbarLoop.h"

namespace {

std::string Refusal(const std::function<void()>& F)
{
    try {
        F();
    } catch (const EInvalidOperation& e) {
        return e.what();
    }
    return "";
}

// A 16-colour style strip: cell 0 a black square with a white dot, cell 1 the
// same in grey; olive around (the bottom-left pixel).
QImage Strip(int Cells, int Size = 18)
{
    QImage s(Size * Cells, Size, QImage::Format_RGB32);
    s.fill(qRgb(128, 128, 0));
    for (int c = 0; c < Cells; ++c) {
        for (int y = 4; y < 10; ++y)
            for (int x = 4; x < 10; ++x) s.setPixel(c * Size + x, y, c == 1 ? qRgb(128, 128, 128) : qRgb(0, 0, 0));
        s.setPixel(c * Size + 12, 12, qRgb(255, 255, 255));
    }
    return s;
}

class Toolbars : public ::testing::Test {
protected:
    std::unique_ptr<QWidget> Form;
    TToolDock *Top = nullptr, *Bottom = nullptr, *Left = nullptr, *Right = nullptr;
    QWidget* Centre = nullptr;
    const TSystemColors C = TSystemColors::Classic();

    void SetUp() override
    {
        SetSystemColors(C);
        TActivation::Instance().Override(true);
        Form = std::make_unique<QWidget>();
        Form->setGeometry(20, 20, 700, 500);
        Top = new TToolDock(Form.get(), dpTop);
        Bottom = new TToolDock(Form.get(), dpBottom);
        Left = new TToolDock(Form.get(), dpLeft);
        Right = new TToolDock(Form.get(), dpRight);
        Centre = new QWidget(Form.get());
        auto* v = new QVBoxLayout(Form.get());
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        auto* h = new QHBoxLayout;
        h->addWidget(Left);
        h->addWidget(Centre, 1);
        h->addWidget(Right);
        v->addWidget(Top);
        v->addLayout(h, 1);
        v->addWidget(Bottom);
        Form->show();
        QApplication::processEvents();
    }

    void TearDown() override
    {
        if (TToolbarLoop* l = TToolbarLoop::Active()) l->Cancel();
        Form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TActivation::Instance().Override(std::nullopt);
        ResetSystemColors();
    }

    // A toolbar with N buttons of 23 x 22 (a separator after every fourth).
    TDockToolbar* Bar(const char* Name, TToolDock* Dock, int Row, int Pos, int N = 3)
    {
        auto* t = new TDockToolbar(Form.get());
        t->setObjectName(Name);
        t->SetCaption(Name);
        t->SetDefaultDock(Top);
        for (int i = 0; i < N; ++i) {
            if (i > 0 && i % 4 == 0) new TDockSeparator(t);
            new TDockButton(t);
        }
        t->SetDockRow(Row);
        t->SetDockPos(Pos);
        t->SetDockedTo(Dock);
        return t;
    }

    static QPoint Global(const QWidget* W, QPoint P = QPoint()) { return W->mapToGlobal(P); }
    // The left button held down, the pointer moved to a point of the screen.
    static void DragTo(TDockToolbar* T, QPoint Screen) { QTest::mouseMove(T, T->mapFromGlobal(Screen)); }
    static void Hover(QWidget* W, QPoint P)
    {
        QCursor::setPos(W->mapToGlobal(P));
        QApplication::processEvents(); // the window system's own move, where it sends one
        QMouseEvent e(QEvent::MouseMove, QPointF(P), QPointF(W->mapToGlobal(P)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(W, &e);
    }
};

} // namespace

TEST_F(Toolbars, DocksAndToolbarsRefuseWhatTheyCannotHold)
{
    EXPECT_EQ(Refusal([&] { new TToolDock(Centre); }), "TToolDock must be owned by a form");
    EXPECT_EQ(Refusal([&] { new TDockToolbar(Centre); }), "TDockToolbar must be owned by a form");
    TDockToolbar* t = Bar("A", Top, 0, 0);
    auto* d = new TToolDock(Form.get(), dpTop);
    EXPECT_EQ(Refusal([&] { d->PlaceIn(t); }),
              "A TToolDock control cannot be placed inside a TDockToolbar or another TToolDock");
    EXPECT_EQ(Refusal([&] { d->PlaceIn(Top); }),
              "A TToolDock control cannot be placed inside a TDockToolbar or another TToolDock");
    EXPECT_EQ(Refusal([&] { Top->hide(); }), "Cannot hide a TToolDock");
    EXPECT_EQ(Refusal([&] { Top->SetPosition(dpLeft); }),
              "Cannot change Position of a TToolDock if it already contains controls");
    EXPECT_EQ(Refusal([&] { d->SetPosition(dpRight); }), "");
    EXPECT_TRUE(d->Vertical());
    EXPECT_EQ(Refusal([&] { new TDockSeparator(Centre); }), "TDockSeparator can only be placed on a TDockToolbar");
    EXPECT_EQ(Refusal([&] { t->PlaceOn(Centre); }),
              "TDockToolbar can only be placed on a TToolDock or directly on the form");
    t->PlaceOn(Form.get());
    EXPECT_EQ(t->DockedTo(), nullptr);
    t->PlaceOn(Bottom);
    EXPECT_EQ(t->DockedTo(), Bottom);
}

TEST_F(Toolbars, DockRowsFollowToolbarsAddedHiddenAndRemoved)
{
    std::vector<std::pair<bool, QString>> notices;
    QObject::connect(Top, &TToolDock::OnInsertRemoveBar, [&](TToolDock*, bool in, TDockToolbar* b) {
        notices.emplace_back(in, b->objectName());
    });
    TDockToolbar* a = Bar("A", Top, 0, 0);
    TDockToolbar* b = Bar("B", Top, 2, 40);
    EXPECT_EQ(notices, (std::vector<std::pair<bool, QString>>{{true, "A"}, {true, "B"}}));
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(Top->height(), 52);
    EXPECT_EQ(b->geometry(), QRect(40, 26, 11 + 3 * 23 + 2, 26));
    EXPECT_EQ(a->findChildren<TDockButton*>()[0]->geometry(), QRect(11, 2, 23, 22));

    b->setVisible(false);
    EXPECT_EQ(Top->height(), 26);
    b->setVisible(true); // back at its row and position
    EXPECT_EQ(Top->height(), 52);
    EXPECT_EQ(b->pos(), QPoint(40, 26));

    // A button added later is placed at the end.
    auto* extra = new TDockButton(a);
    extra->resize(30, 24);
    extra->show();
    QApplication::processEvents();
    EXPECT_EQ(extra->geometry(), QRect(11 + 3 * 23, 2, 30, 24));
    EXPECT_EQ(a->findChildren<TDockButton*>()[0]->y(), 3); // one lower than the taller one
    EXPECT_EQ(a->width(), 11 + 3 * 23 + 30 + 2);
    EXPECT_EQ(a->height(), 28);
    EXPECT_EQ(b->height(), 26); // a row of its own

    b->SetDockedTo(Bottom);
    EXPECT_EQ(notices.back(), (std::pair<bool, QString>{false, "B"}));
    EXPECT_EQ(Top->height(), 28);
    EXPECT_EQ(Bottom->height(), 26);
    delete a;
    EXPECT_EQ(Top->height(), 0);
    EXPECT_TRUE(Top->DockList().empty());
}

TEST_F(Toolbars, DraggingDocksWhereTheOutlineShowsAndCtrlFloats)
{
    Bar("A", Top, 0, 0);
    TDockToolbar* b = Bar("B", Top, 0, 200);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 10));
    TToolbarLoop* loop = TToolbarLoop::Active();
    ASSERT_NE(loop, nullptr);
    EXPECT_TRUE(TToolbarLoop::HintsOff());
    EXPECT_EQ(loop->TargetDock(), Top);
    EXPECT_TRUE(loop->Outline().Visible());

    // Over the (empty) bottom dock: a thin outline in its shape.
    const QPoint overBottom = Global(Bottom, QPoint(300, 0));
    DragTo(b, overBottom);
    EXPECT_EQ(loop->TargetDock(), Bottom);
    EXPECT_EQ(loop->Outline().Bands()[0]->height(), 1);
    EXPECT_EQ(loop->OutlineRect().Left, overBottom.x() - 5);

    // Ctrl switches to the floating outline at once, and back.
    QTest::keyPress(b, Qt::Key_Control);
    EXPECT_TRUE(loop->Floating());
    EXPECT_EQ(loop->Outline().Bands()[0]->height(), 4);
    QTest::keyRelease(b, Qt::Key_Control);
    EXPECT_EQ(loop->TargetDock(), Bottom);
    QTest::keyClick(b, Qt::Key_Escape); // does nothing
    EXPECT_EQ(TToolbarLoop::Active(), loop);

    QTest::mouseRelease(b, Qt::LeftButton, {}, b->mapFromGlobal(overBottom));
    EXPECT_EQ(TToolbarLoop::Active(), nullptr);
    EXPECT_FALSE(TToolbarLoop::HintsOff());
    EXPECT_EQ(b->DockedTo(), Bottom);
    EXPECT_EQ(b->DockRow(), 0);
    EXPECT_EQ(b->geometry().topLeft(), QPoint(300 - 5, 0));
    EXPECT_EQ(Top->DockList().size(), 1u);

    // Dropped between the rows of the top dock: a new row 1, the old one moves up.
    TDockToolbar* c = Bar("C", Top, 1, 0);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 10));
    const QPoint between = Global(Top, QPoint(100, 28 + 1 - 14 + 10));
    DragTo(b, between);
    QTest::mouseRelease(b, Qt::LeftButton, {}, b->mapFromGlobal(between));
    EXPECT_EQ(b->DockedTo(), Top);
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(c->DockRow(), 2);

    // Not onto a side dock when the toolbar may not go there.
    b->SetCanDockLeftRight(false);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 10));
    DragTo(b, Global(Left, QPoint(0, 200)));
    EXPECT_TRUE(TToolbarLoop::Active()->Floating());
    TToolbarLoop::Active()->Cancel();
}

TEST_F(Toolbars, EveryOtherEndOfADragAppliesNothing)
{
    TDockToolbar* b = Bar("B", Top, 0, 100);
    const QPoint away = Global(Centre, QPoint(200, 200));
    auto start = [&] {
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 10));
        DragTo(b, away);
        return TToolbarLoop::Active();
    };
    auto unchanged = [&] {
        EXPECT_EQ(TToolbarLoop::Active(), nullptr);
        EXPECT_FALSE(TToolbarLoop::HintsOff());
        EXPECT_EQ(b->DockedTo(), Top);
        EXPECT_EQ(b->pos(), QPoint(100, 0));
    };
    // A second press of the left button.
    TToolbarLoop* loop = start();
    ASSERT_TRUE(loop && loop->Floating());
    const auto bands = loop->Outline().Bands();
    QTest::mousePress(b, Qt::LeftButton, {}, b->mapFromGlobal(away));
    unchanged();
    for (QWidget* w : bands) EXPECT_FALSE(w->isVisible());
    QTest::mouseRelease(b, Qt::LeftButton, {}, b->mapFromGlobal(away));
    unchanged();
    QApplication::processEvents();

    // The program losing the activation.
    ASSERT_TRUE(start());
    TActivation::Instance().Override(false);
    unchanged();
    TActivation::Instance().Override(true);
    QTest::mouseRelease(b, Qt::LeftButton);

    // The toolbar hiding.
    ASSERT_TRUE(start());
    b->setVisible(false);
    EXPECT_EQ(TToolbarLoop::Active(), nullptr);
    b->setVisible(true);
    QTest::mouseRelease(b, Qt::LeftButton);
    unchanged();
}

TEST_F(Toolbars, DoubleClicksFloatAndDockFirstInRowZero)
{
    TDockToolbar* a = Bar("A", Top, 0, 0);
    TDockToolbar* b = Bar("B", Top, 0, 150);
    QStringList events;
    for (auto signal : {&TDockToolbar::OnRecreating, &TDockToolbar::OnDockChanging, &TDockToolbar::OnDockChanged,
                        &TDockToolbar::OnRecreated}) {
        QObject::connect(b, signal, [&events, signal] {
            events << (signal == &TDockToolbar::OnRecreating    ? "recreating"
                       : signal == &TDockToolbar::OnDockChanging ? "changing"
                       : signal == &TDockToolbar::OnDockChanged  ? "changed"
                                                                 : "recreated");
        });
    }
    const QPoint was = Global(b);
    QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(b->DockedTo(), nullptr);
    EXPECT_EQ(events, (QStringList{"recreating", "changing", "changed", "recreated"}));
    TFloatParent* f = b->FloatParent();
    ASSERT_TRUE(f->isVisible());
    const TFloatMetrics m = TDockToolbar::Metrics();
    EXPECT_EQ(f->geometry().topLeft(), was - QPoint(m.F, 0));
    EXPECT_EQ(f->size(), b->size() + QSize(2 * m.F, 2 * m.F + m.C));
    EXPECT_EQ(b->pos(), QPoint(m.F, m.F + m.C));
    EXPECT_EQ(Top->DockList().size(), 1u);

    // A double click on its empty part docks it first in row 0 of its dock.
    events.clear();
    QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(1, 5));
    EXPECT_EQ(b->DockedTo(), Top);
    EXPECT_EQ(events, (QStringList{"recreating", "changing", "changed", "recreated"}));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(b->DockRow(), 0);
    EXPECT_EQ(b->pos(), QPoint(0, 0));
    EXPECT_EQ(a->pos(), QPoint(b->width(), 0));

    // A press on a button starts nothing.
    QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_EQ(b->DockedTo(), Top);
    // Nor on a dock that does not allow dragging; its toolbars lose the handle.
    Top->SetAllowDrag(false);
    EXPECT_EQ(b->findChildren<TDockButton*>()[0]->x(), 2);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(1, 5));
    EXPECT_EQ(TToolbarLoop::Active(), nullptr);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(1, 5));
}

TEST_F(Toolbars, SizingAFloatingToolbarByItsEdges)
{
    TDockToolbar* t = Bar("T", Top, 0, 0, 12);
    t->SetDockedTo(nullptr);
    TFloatParent* f = t->FloatParent();
    const QRect start = f->geometry();
    const int y = start.height() - 10;
    QTest::mousePress(f, Qt::LeftButton, {}, QPoint(start.width() - 2, y));
    TToolbarLoop* loop = TToolbarLoop::Active();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->Kind(), TToolbarLoop::Sizing);
    const std::vector<QSize> shapes = loop->SizingState().Shapes;
    ASSERT_GE(shapes.size(), 3u);
    EXPECT_EQ(shapes[0], start.size());

    // A few pixels keep the shape; further goes to the next narrower one.
    QTest::mouseMove(f, QPoint(start.width() - 8, y));
    EXPECT_EQ(loop->SizingState().Outline.Size(), start.size());
    QTest::mouseMove(f, QPoint(shapes[1].width() + 3, y));
    EXPECT_EQ(loop->SizingState().Outline.Size(), shapes[1]);
    QTest::keyClick(f, Qt::Key_Escape); // keys do nothing
    QTest::mouseRelease(f, Qt::LeftButton, {}, QPoint(shapes[1].width() + 3, y));
    EXPECT_EQ(TToolbarLoop::Active(), nullptr);
    EXPECT_EQ(f->geometry(), QRect(start.topLeft(), shapes[1]));
    EXPECT_EQ(t->FloatRect, TRect::From(f->geometry()));
    EXPECT_EQ(t->FloatWrapWidth, shapes[1].width() - TDockToolbar::Metrics().F);
    EXPECT_EQ(t->size(), shapes[1] - FrameExtra(TDockToolbar::Metrics()));

    // The left edge keeps the right one where it was.
    const QRect now = f->geometry();
    QTest::mousePress(f, Qt::LeftButton, {}, QPoint(1, y));
    QTest::mouseMove(f, QPoint(now.width() - shapes[2].width() - 2, y));
    QTest::mouseRelease(f, Qt::LeftButton, {}, QPoint(now.width() - shapes[2].width() - 2, y));
    EXPECT_EQ(f->geometry().right(), now.right());
    EXPECT_EQ(f->size(), shapes[2]);
}

TEST_F(Toolbars, FloatingWindowCloseButtonAndCaption)
{
    TDockToolbar* t = Bar("Sketch Operations", Top, 0, 0, 6);
    t->SetDockedTo(nullptr);
    TFloatParent* f = t->FloatParent();
    int closed = 0;
    QObject::connect(t, &TDockToolbar::OnClose, [&] { ++closed; });
    const TFloatMetrics m = TDockToolbar::Metrics();
    const QPoint close = CloseButtonRect(t->size(), m).ToQRect().center();
    EXPECT_EQ(f->HitTest(close), htClose);

    // Pressed, moved off and released: nothing.
    QTest::mousePress(f, Qt::LeftButton, {}, close);
    EXPECT_TRUE(f->ClosePressed());
    QTest::mouseMove(f, QPoint(10, 10));
    EXPECT_FALSE(f->ClosePressed());
    QTest::mouseRelease(f, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(closed, 0);

    // A caption drag moves only the window.
    const QRect was = f->geometry();
    const TRect rect = t->FloatRect;
    QTest::mousePress(f, Qt::LeftButton, {}, QPoint(10, 8));
    QTest::mouseMove(f, QPoint(60, 38));
    QTest::mouseRelease(f, Qt::LeftButton, {}, QPoint(60, 38));
    EXPECT_EQ(f->pos(), was.topLeft() + QPoint(50, 30));
    EXPECT_EQ(t->FloatRect, rect);
    EXPECT_EQ(t->DockedTo(), nullptr);

    // Released on the button: hidden, then OnClose.
    QTest::mousePress(f, Qt::LeftButton, {}, close);
    QTest::mouseRelease(f, Qt::LeftButton, {}, close);
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(t->BarVisible());
    EXPECT_EQ(closed, 1);
    t->setVisible(true);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->pos(), was.topLeft() + QPoint(50, 30));

    // A caption too long for the window is cut.
    t->SetCaption("A caption much longer than the little window that shows it");
    EXPECT_TRUE(f->DrawnCaption().endsWith("..."));
    EXPECT_LT(f->DrawnCaption().size(), t->Caption().size());
}

TEST_F(Toolbars, FloatingWindowsHideWhileInactiveOrMinimizedAndStayOnScreen)
{
    TDockToolbar* t = Bar("T", Top, 0, 0);
    t->SetDockedTo(nullptr);
    TFloatParent* f = t->FloatParent();
    const QRect was = f->geometry();
    TActivation::Instance().Override(false);
    EXPECT_FALSE(f->isVisible()); // hidden for real, not moved off the screen
    EXPECT_EQ(f->geometry(), was);
    TActivation::Instance().Override(true);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->geometry(), was);

    Form->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(f->isVisible());
    Form->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(f->isVisible());

    // A window wholly off every screen comes back onto the work area when shown.
    TActivation::Instance().Override(false);
    f->move(-5000, -5000);
    TActivation::Instance().Override(true);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(work.contains(f->geometry()));

    // After a drop: moved only when wholly off it.
    t->ApplyDrop(nullptr, TRect::At(QPoint(-3000, 40), f->size()));
    EXPECT_EQ(f->x(), work.x());
    t->ApplyDrop(nullptr, TRect::At(QPoint(work.right() - 20, 40), f->size()));
    EXPECT_EQ(f->x(), work.right() - 20);

    // A floating toolbar dropped on a dock by the drag docks there.
    t->ApplyDrop(Left, TRect::At(Global(Left, QPoint(0, 50)), QSize(28, 80)));
    EXPECT_EQ(t->DockedTo(), Left);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(t->Orientation(), 2);
    EXPECT_EQ(t->findChildren<TDockButton*>()[1]->pos(), QPoint(2, 11 + 22));
}

TEST_F(Toolbars, ButtonsTrackThePointerAndTheTimerLetsGo)
{
    TDockToolbar* t = Bar("T", Top, 0, 0, 2);
    auto buttons = t->findChildren<TDockButton*>();
    TDockButton *a = buttons[0], *b = buttons[1];
    int entered = 0, left = 0;
    QObject::connect(a, &TDockButton::OnMouseEnter, [&] { ++entered; });
    QObject::connect(a, &TDockButton::OnMouseExit, [&] { ++left; });
    Hover(a, QPoint(5, 5));
    EXPECT_EQ(TDockButton::HotButton(), a);
    EXPECT_TRUE(a->Logic().DrawsEdge());
    EXPECT_TRUE(TDockButton::TrackTimer().isActive());
    Hover(b, QPoint(5, 5)); // the next button's move takes the pointer over
    EXPECT_EQ(TDockButton::HotButton(), b);
    EXPECT_EQ(left, 1);

    // Leaving without a move over anything of ours: the timer sees it.
    QCursor::setPos(Global(Centre, QPoint(300, 300)));
    EXPECT_EQ(TDockButton::HotButton(), b);
    EXPECT_TRUE(QTest::qWaitFor([] { return TDockButton::HotButton() == nullptr; }, 1000));
    EXPECT_FALSE(TDockButton::TrackTimer().isActive());

    Hover(a, QPoint(5, 5));
    TActivation::Instance().Override(false); // switching away lets go at once
    EXPECT_EQ(TDockButton::HotButton(), nullptr);
    EXPECT_EQ(entered, 2);
    EXPECT_EQ(left, 2);
    Hover(a, QPoint(6, 6)); // inactive: no tracking
    EXPECT_EQ(TDockButton::HotButton(), nullptr);
}

TEST_F(Toolbars, ButtonsPressGroupAndDropDown)
{
    TDockToolbar* t = Bar("T", Top, 0, 0, 3);
    auto buttons = t->findChildren<TDockButton*>();
    TDockButton *a = buttons[0], *b = buttons[1], *c = buttons[2];
    int clicks = 0;
    QObject::connect(a, &TDockButton::OnClick, [&] { ++clicks; });

    // Pressed, dragged off (up) and back (down), released outside: no click.
    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(a->State(), bsDown);
    QTest::mouseMove(a, QPoint(40, 5));
    EXPECT_EQ(a->State(), bsUp);
    QTest::mouseMove(a, QPoint(6, 6));
    EXPECT_EQ(a->State(), bsDown);
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(-3, 5));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(a->State(), bsUp);

    // A group: one down at a time; a release outside keeps the state.
    a->SetDown(true);
    EXPECT_FALSE(a->Down()); // no group
    for (TDockButton* x : {a, b}) x->SetGroupIndex(1);
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5)); // all up not allowed
    EXPECT_TRUE(b->Down());
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_EQ(b->State(), bsExclusive);
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp()); // the group follows
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b->Down());

    // A drop-down menu opens on the press; no click.
    QMenu menu;
    menu.addAction("One");
    int cClicks = 0;
    QObject::connect(c, &TDockButton::OnClick, [&] { ++cClicks; });
    c->SetDropdownMenu(&menu);
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(c->MenuIsDown());
    EXPECT_EQ(c->State(), bsDown);
    EXPECT_EQ(menu.pos(), Global(c, QPoint(0, c->height())));
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(5, 5));
    menu.hide();
    EXPECT_FALSE(c->MenuIsDown());
    EXPECT_EQ(c->State(), bsUp);
    EXPECT_EQ(cClicks, 0);
}

TEST_F(Toolbars, ButtonFacesEdgesDitherGlyphAndDisabledLooks)
{
    TDockToolbar* t = Bar("T", Top, 0, 0, 0);
    auto* b = new TDockButton(t);
    b->resize(44, 24);
    b->SetGlyph(Strip(2));
    b->show();
    EXPECT_EQ(b->NumGlyphs(), 2);
    EXPECT_EQ(b->GlyphPosition(), QPoint(13, 3));
    auto pixel = [&](int x, int y) { return b->grab().toImage().pixel(x, y) & 0xFFFFFFu; };
    auto rgb = [](const QColor& c) { return c.rgb() & 0xFFFFFFu; };
    EXPECT_EQ(pixel(0, 0), rgb(C.ButtonFace));          // no edge when not hot
    EXPECT_EQ(pixel(13 + 4, 3 + 4), 0u);                 // cell 0
    EXPECT_EQ(pixel(13 + 1, 3 + 1), rgb(C.ButtonFace));  // olive lets the face through

    b->SetGroupIndex(1);
    b->SetDown(true);
    EXPECT_EQ(b->GlyphPosition(), QPoint(14, 4));
    EXPECT_EQ(pixel(0, 0), rgb(C.ButtonShadow)); // sunken edge
    EXPECT_EQ(pixel(43, 23), rgb(C.ButtonHighlight));
    EXPECT_EQ(pixel(1, 1), rgb(C.ButtonHighlight)); // the dither pattern inside
    EXPECT_EQ(pixel(2, 1), rgb(C.ButtonFace));
    EXPECT_EQ(pixel(14 + 4, 4 + 4), 0u);

    // Disabled: cell 1 with its grey in the shadow colour and white in the highlight.
    SetSystemColors([&] {
        TSystemColors d = C;
        d.ButtonShadow = QColor(10, 20, 30);
        d.ButtonHighlight = QColor(250, 240, 230);
        return d;
    }());
    b->SetAllowAllUp(true);
    b->SetDown(false);
    b->setEnabled(false);
    EXPECT_EQ(b->State(), bsDisabled);
    EXPECT_EQ(pixel(13 + 4, 3 + 4), qRgb(10, 20, 30) & 0xFFFFFFu);
    EXPECT_EQ(pixel(13 + 12, 3 + 12), qRgb(250, 240, 230) & 0xFFFFFFu);
    SetSystemColors(C);

    // A one-cell glyph is embossed: black in shadow, its highlight one pixel right and down.
    auto* e = new TDockButton(t);
    e->resize(23, 22);
    e->SetGlyph(Strip(1, 16));
    e->setEnabled(false);
    e->show();
    const QImage img = e->grab().toImage();
    const QPoint g = e->GlyphPosition();
    EXPECT_EQ(img.pixel(g + QPoint(4, 4)) & 0xFFFFFFu, rgb(C.ButtonShadow));
    EXPECT_EQ(img.pixel(g + QPoint(10, 10)) & 0xFFFFFFu, rgb(C.ButtonHighlight));
    EXPECT_EQ(img.pixel(g + QPoint(12, 12)) & 0xFFFFFFu, rgb(C.ButtonFace)); // white is not black
}

TEST_F(Toolbars, GlyphImagesShareListsByCellSize)
{
    {
        TButtonGlyph a, b, c;
        a.SetGlyph(Strip(2));
        b.SetGlyph(Strip(2));
        c.SetGlyph(Strip(1, 16));
        EXPECT_EQ(a.TransparentColor(), qRgb(128, 128, 0));
        const QImage* up = a.StateImage(bsUp, C);
        ASSERT_NE(up, nullptr);
        EXPECT_EQ(up->size(), QSize(18, 18));
        EXPECT_EQ(qAlpha(up->pixel(0, 0)), 0);
        EXPECT_EQ(up->pixel(5, 5), qRgb(0, 0, 0));
        EXPECT_EQ(a.StateImage(bsDown, C), up); // two cells: down uses the up image
        b.StateImage(bsDisabled, C);
        c.StateImage(bsUp, C);
        EXPECT_EQ(a.List(), b.List());
        EXPECT_NE(a.List(), c.List());
        EXPECT_EQ(a.List()->Count(), 2);
        EXPECT_EQ(TGlyphCache::ListCount(), 2);

        // A freed slot is taken again by the next image of that size.
        a.DropImages();
        EXPECT_EQ(b.List()->Count(), 1);
        a.StateImage(bsUp, C);
        EXPECT_EQ(b.List()->Slots(), 2);
        c.DropImages();
        EXPECT_EQ(TGlyphCache::ListCount(), 1);

        // No glyph at all: no image, one cell.
        c.SetGlyph(QImage(0, 16, QImage::Format_RGB32));
        EXPECT_EQ(c.NumGlyphs(), 1);
        EXPECT_EQ(c.StateImage(bsUp, C), nullptr);
        c.SetNumGlyphs(9);
        EXPECT_EQ(c.NumGlyphs(), 4);
    }
    EXPECT_EQ(TGlyphCache::Instance(), nullptr);
}

TEST_F(Toolbars, ToolbarsDrawTheirEdgeHandleSeparatorsAndBreakLines)
{
    TDockToolbar* t = Bar("T", Top, 0, 0, 8); // a separator after the fourth button
    auto rgb = [](const QColor& c) { return c.rgb() & 0xFFFFFFu; };
    QImage img = t->grab().toImage();
    auto px = [&](int x, int y) { return img.pixel(x, y) & 0xFFFFFFu; };
    const int h = t->height() - 2;
    EXPECT_EQ(px(0, 0), rgb(C.ButtonHighlight)); // raised edge
    EXPECT_EQ(px(t->width() - 1, t->height() - 1), rgb(C.ButtonShadow));
    EXPECT_EQ(px(4, 2), rgb(C.ButtonHighlight)); // the two bars of the handle
    EXPECT_EQ(px(9, h - 1), rgb(C.ButtonShadow));
    EXPECT_EQ(px(5, 5), rgb(C.ButtonFace));
    EXPECT_EQ(px(4, h - 1), rgb(C.ButtonHighlight));
    EXPECT_EQ(px(7, h - 1), rgb(C.ButtonHighlight));
    const int sep = 11 + 4 * 23;
    EXPECT_EQ(px(sep + 2, 10), rgb(C.ButtonShadow)); // the etched separator
    EXPECT_EQ(px(sep + 3, 10), rgb(C.ButtonHighlight));

    // Floating and broken at the separator: etched lines 4 and 3 pixels above the new line.
    t->FloatWrapWidth = 100;
    t->SetDockedTo(nullptr);
    ASSERT_EQ(t->LineBreakSeparators.size(), 1u);
    const int y = LineBreakCross(t->LineBreakSeparators[0]);
    img = t->grab().toImage();
    EXPECT_EQ(px(10, y - 4), rgb(C.ButtonShadow));
    EXPECT_EQ(px(10, y - 3), rgb(C.ButtonHighlight));
    EXPECT_EQ(px(0, y - 4), rgb(C.ButtonFace));
    EXPECT_EQ(t->size(), QSize(100, y + 22 + 1));

    // The frame: raised edge, caption, close button.
    const QImage frame = t->FloatParent()->grab().toImage();
    EXPECT_EQ(frame.pixel(0, 0) & 0xFFFFFFu, rgb(C.Light));
    EXPECT_EQ(frame.pixel(60, 5) & 0xFFFFFFu, rgb(C.ActiveCaption)); // past the short caption text
    EXPECT_EQ(frame.pixel(8, 4 + 15 - 1) & 0xFFFFFFu, rgb(C.ButtonFace));
}
