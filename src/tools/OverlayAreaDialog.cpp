#include "tools/OverlayAreaDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/analysis/OverlayArea.h"
#include "core/model/Messages.h"
#include "platform/Latin1.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/ToolHelp.h"

TOverlayAreaDB::TOverlayAreaDB(TNetwork& Net, TWindowSettings& Settings, TViewRecord& View, QWidget* Parent)
    : QDialog(Parent), FNet(Net), FSettings(Settings), FView(View)
{
    setObjectName("OverlayAreaDB");
    setWindowTitle("Overlay Area");
    setProperty("HelpContext", HelpContext);

    StatusEdit = new QLineEdit(this);
    StatusEdit->setObjectName("StatusEdit");
    StatusEdit->setReadOnly(true);
    StatusEdit->setFocusPolicy(Qt::NoFocus);
    StatusEdit->setMinimumWidth(320);
    UnitsEdit = new QLineEdit(this);
    UnitsEdit->setObjectName("UnitsEdit");
    auto* unitsLabel = new QLabel("Pixels per Linear Unit:", this);
    unitsLabel->setBuddy(UnitsEdit);

    auto button = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(GoButton, "GoButton", "&Go");
    button(CloseButton, "CloseButton", "Close");
    button(HelpButton, "HelpButton", "Help");
    GoButton->setDefault(true);
    connect(GoButton, &QPushButton::clicked, this, [this] { GoClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    ConnectToolHelp(this, HelpButton, HelpContext, &ShowHelp);

    auto* grid = new QGridLayout;
    grid->addWidget(StatusEdit, 0, 0, 1, 2);
    grid->addWidget(unitsLabel, 1, 0);
    grid->addWidget(UnitsEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {GoButton, CloseButton, HelpButton}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    StatusEdit->setText(Latin1(MessageText(219)));
    UnitsEdit->setText(Latin1(UnitsFactorText(FSettings.UnitsFactor)));
}

void TOverlayAreaDB::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    GoButton->setFocus();
}

void TOverlayAreaDB::GoClick()
{
    if (FScanning) return;
    // While the scan lets events through, nothing may start another one,
    // close this dialog, or close or change the network.
    struct TScan {
        TOverlayAreaDB& D;
        explicit TScan(TOverlayAreaDB& d) : D(d)
        {
            D.FScanning = true;
            for (QWidget* w : {(QWidget*)D.GoButton, (QWidget*)D.CloseButton, (QWidget*)D.UnitsEdit})
                w->setEnabled(false);
            if (D.HoldNetwork) D.HoldNetwork(true);
        }
        ~TScan()
        {
            if (D.HoldNetwork) D.HoldNetwork(false);
            for (QWidget* w : {(QWidget*)D.GoButton, (QWidget*)D.CloseButton, (QWidget*)D.UnitsEdit})
                w->setEnabled(true);
            D.FScanning = false;
        }
    } scan(*this);
    const TOverlayResult r =
        ComputeOverlayArea(FNet, FSettings, FView, Bytes(UnitsEdit->text()), [this](const std::string& status) {
            StatusEdit->setText(Latin1(status));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    UnitsEdit->setText(Latin1(r.UnitsText));
    StatusEdit->setText(Latin1(r.Status));
}

void TOverlayAreaDB::reject()
{
    if (FScanning) return;
    QDialog::reject();
}

void TOverlayAreaDB::closeEvent(QCloseEvent* Event)
{
    if (FScanning) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void RegisterOverlayPadItems(TZOKMainWindow& Main)
{
    // Always enabled: the dialog measures whatever the window shows, and says
    // so when nothing overlaps.
    Main.PadItems.SetCommand("OverlayArea1", GateChange, [](TSketchPadWindow& Pad) {
        TZOKMainWindow& main = Pad.Main;
        TOverlayAreaDB dialog(*Pad.Network, Pad.Settings, Pad.View, &main);
        // While the scan runs the network is held: only views of it go on.
        TBusyGate::TRun run;
        dialog.HoldNetwork = [&main, &Pad, &run](bool busy) {
            if (busy)
                run = main.Gate.Begin(TBusyKind::Overlay, Pad.Network.get(), &Pad, GateView);
            else
                run.End();
        };
        main.ExecDialog(dialog);
    });
}
