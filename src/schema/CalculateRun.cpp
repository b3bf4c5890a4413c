#include "schema/CalculateRun.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/calc/CalcEditing.h"
#include "schema/SchemaCommon.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "toolbars/DockButton.h"

// ---------------------------------------------------------------- status box

TCalculateStatusDB::TCalculateStatusDB(TZOKMainWindow& AMain, QWidget* Parent) : QDialog(Parent), Main(AMain)
{
    setObjectName("CalculateStatusDB");
    setWindowTitle("Calculate Status");
    setModal(false);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setMinimumWidth(320);
    Button1 = new QPushButton("Stop", this);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, this, &TCalculateStatusDB::Button1Click);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button1);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(row);
}

void TCalculateStatusDB::Button1Click()
{
    if (Button1->text() == "Stop") {
        Main.Gate.RequestStop(TBusyKind::Calculate);
        Button1->setText("OK");
        return;
    }
    hide();
}

void TCalculateStatusDB::RunEnded() { Button1->setText("OK"); }

void TCalculateStatusDB::closeEvent(QCloseEvent* Event)
{
    // Closing the box while the run goes on asks it to stop first.
    if (Button1->text() == "Stop") {
        Button1Click();
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TCalculateStatusDB::keyPressEvent(QKeyEvent* Event)
{
    // Escape acts as the button, never as a silent close.
    if (Event->key() == Qt::Key_Escape) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(Event);
}

TCalculateStatusDB* CalculateStatusBox(TZOKMainWindow& Main)
{
    return Main.findChild<TCalculateStatusDB*>("CalculateStatusDB");
}

// ---------------------------------------------------------------- gate

bool CalculateRunning(const TSketchPadWindow& Pad) { return Pad.Main.Gate.Running(TBusyKind::Calculate); }

std::unique_ptr<TCalcRunGate> TCalcRunGate::Begin(TSketchPadWindow& Pad, QWidget* StatusBox)
{
    if (CalculateRunning(Pad)) return nullptr;
    return std::unique_ptr<TCalcRunGate>(new TCalcRunGate(Pad, StatusBox));
}

TCalcRunGate::TCalcRunGate(TSketchPadWindow& Pad, QWidget* AStatusBox)
    : Run(Pad.Main.Gate.Begin(TBusyKind::Calculate, nullptr, &Pad, GateView)), StatusBox(AStatusBox)
{
    qApp->installEventFilter(this);
}

TCalcRunGate::~TCalcRunGate()
{
    qApp->removeEventFilter(this);
    Run.End();
}

bool TCalcRunGate::StopRequested() const { return Run.StopRequested(); }

bool TCalcRunGate::eventFilter(QObject* Watched, QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        break;
    case QEvent::Shortcut:
        // No menu item or other shortcut acts while the run goes on.
        return true;
    default:
        return false;
    }
    auto* w = qobject_cast<QWidget*>(Watched);
    // Events of the platform windows reach the widgets next; those decide.
    if (!w) return false;
    QWidget* window = w->window();
    // The status box, and a message box that something shows meanwhile.
    if ((StatusBox && window == StatusBox) || qobject_cast<QMessageBox*>(window)) return false;
    // A sketch pad's own mouse handling lets through only the zoom clicks.
    const QEvent::Type t = Event->type();
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::Wheel)
        if (auto* pad = qobject_cast<TSketchPadWindow*>(w->parentWidget()); pad && pad->viewport() == w) return false;
    return true;
}

// ---------------------------------------------------------------- the run

namespace {

class TQtCalcHost : public TCalcHost {
public:
    TQtCalcHost(TSketchPadWindow& APad, TCalculateStatusDB* ABox, TCalcFlags& AFlags)
        : Pad(APad), Box(ABox), Flags(AFlags)
    {
    }
    const TCalcRunGate* Gate = nullptr;
    void ProcessMessages() override
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (Gate && Gate->StopRequested()) Flags.CalcStop = 1;
    }
    void ShowStatus(const std::string& Text) override
    {
        if (Box) Box->Label1->setText(ShowText(Text));
    }
    void Repaint() override { Pad.Main.InvalidateNetworkViews(Pad); }
    void Beep() override { QApplication::beep(); }
    void EnableUndelete() override
    {
        if (Undelete) return;
        Undelete = true;
        if (Pad.Main.CurrentPad == &Pad)
            if (TDockButton* b = Pad.Main.Toolbars.UndeleteButton) b->setEnabled(true);
    }
    void PolygonNotMerged() override
    {
        if (QLabel* p = Pad.Main.Panels[0]) p->setText("Polygon not merged");
    }

private:
    TSketchPadWindow& Pad;
    QPointer<TCalculateStatusDB> Box;
    TCalcFlags& Flags;
    bool Undelete = false;
};

} // namespace

TWindowRunResult RunWindowCalculation(TSketchPadWindow& Pad, TCalcProgram& Program, const TCalcRunOptions* Options)
{
    TWindowRunResult result;
    TZOKMainWindow& main = Pad.Main;
    if (!Pad.Network || CalculateRunning(Pad)) return result;
    // One status box at a time: the last run's goes.
    for (TCalculateStatusDB* old : main.findChildren<TCalculateStatusDB*>()) delete old;
    QWidget* parent = QApplication::activeModalWidget();
    QPointer<TCalculateStatusDB> box = new TCalculateStatusDB(main, parent ? parent : static_cast<QWidget*>(&main));
    box->show();

    std::shared_ptr<TNetwork> net = Pad.Network; // the network stays while the run uses it
    TPadEditor& editor = TPadEditor::Of(Pad);
    const TCalcEditOps ops = CalcEditOpsFor(editor.Edit.Hooks, Pad.Settings.SpliceRules);
    TCalcRunOptions options = Options ? *Options : TCalcRunOptions{};
    options.View = &Pad.View;
    TCalcFlags flags;
    TQtCalcHost host(Pad, box, flags);
    {
        std::unique_ptr<TCalcRunGate> gate = TCalcRunGate::Begin(Pad, box);
        host.Gate = gate.get();
        try {
            result.Summary = RunCalculation(*net, Program, flags, host, {}, ops, options);
        } catch (const std::exception& e) {
            // The run ends here; the gate lifts as it goes out of scope.
            if (box) box->Label1->setText(QString("Calculate stopped: ") + QString::fromLocal8Bit(e.what()));
        }
    }
    result.Ran = true;
    if (box) box->RunEnded();
    main.InvalidateNetworkViews(Pad);
    editor.UpdateCommands();
    return result;
}
