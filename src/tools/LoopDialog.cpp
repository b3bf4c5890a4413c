#include "tools/LoopDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/expr/LabelText.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "shell/Viewport.h"
#include "tools/CClock.h"
#include "tools/ToolHelp.h"

namespace {

// The loop's settings live as long as the main window.
class TLoopSettingsHolder : public QObject {
public:
    explicit TLoopSettingsHolder(QObject* Parent) : QObject(Parent) { setObjectName("LoopSettings"); }
    TLoopSettings Settings;
};

QLabel* Caption(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

} // namespace

TLoopSettings& ProgramLoopSettings(TZOKMainWindow& Main)
{
    auto* h = Main.findChild<TLoopSettingsHolder*>("LoopSettings", Qt::FindDirectChildrenOnly);
    if (!h) h = new TLoopSettingsHolder(&Main);
    return h->Settings;
}

std::string ZoomStateHint(int Level)
{
    if (!ValidZoomLevel(Level)) Level = DefaultZoomLevel;
    return "Zoom state = " + std::to_string(ZoomLevels[Level].Numerator) + ":" +
           std::to_string(ZoomLevels[Level].Denominator);
}

TLoopDB::TLoopDB(TZOKMainWindow& Main, TLoopSettings& Settings, QWidget* Parent)
    : QDialog(Parent), FMain(Main), FSettings(Settings)
{
    setObjectName("LoopDB");
    setWindowTitle("Loop through Networks");
    setProperty("HelpContext", HelpContext);

    // The list and what changes it.
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Delete1 = PopupMenu1->addAction("Delete");
    Delete1->setObjectName("Delete1");
    Promote1 = PopupMenu1->addAction("Promote");
    Promote1->setObjectName("Promote1");
    Demote1 = PopupMenu1->addAction("Demote");
    Demote1->setObjectName("Demote1");
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(at)); });
    connect(Delete1, &QAction::triggered, this, [this] { DeleteEntry(); });
    connect(Promote1, &QAction::triggered, this, [this] { MoveEntry(-1); });
    connect(Demote1, &QAction::triggered, this, [this] { MoveEntry(1); });

    auto pushButton = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    auto speedButton = [this](QToolButton*& b, const char* name, const char* hint, QStyle::StandardPixmap icon) {
        b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(QString::fromLatin1(hint));
        b->setAccessibleName(QString::fromLatin1(hint));
    };
    pushButton(UpButton, "UpButton", "Up");
    pushButton(DownButton, "DownButton", "Down");
    UpButton->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    DownButton->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    speedButton(SpeedButton1, "SpeedButton1", "Delete network from loop", QStyle::SP_DialogDiscardButton);
    speedButton(SpeedButton2, "SpeedButton2", "Erase all entity labels from all networks",
                QStyle::SP_DialogResetButton);
    connect(UpButton, &QPushButton::clicked, this, [this] { MoveEntry(-1); });
    connect(DownButton, &QPushButton::clicked, this, [this] { MoveEntry(1); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { DeleteEntry(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { EraseLabels(); });

    auto* side = new QVBoxLayout;
    side->addWidget(UpButton);
    side->addWidget(DownButton);
    auto* speed = new QHBoxLayout;
    speed->addWidget(SpeedButton1);
    speed->addWidget(SpeedButton2);
    speed->addStretch();
    side->addLayout(speed);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(ListBox1, 1);
    top->addLayout(side);

    // Frame rate and zoom.
    auto slider = [this](QSlider*& s, const char* name, int max) {
        s = new QSlider(Qt::Horizontal, this);
        s->setObjectName(name);
        s->setRange(1, max);
        s->setPageStep(1);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(1);
    };
    slider(TrackBar1, "TrackBar1", 5);
    slider(TrackBar2, "TrackBar2", MaxZoomLevel);
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { UpdateZoomHint(); });
    auto* rate = new QGroupBox("Animation Frame Rate", this);
    auto* rateRow = new QGridLayout(rate);
    rateRow->addWidget(Caption("120", rate), 0, 0);
    rateRow->addWidget(TrackBar1, 0, 1);
    rateRow->addWidget(Caption("24", rate), 0, 2);
    auto* perMinute = Caption("Frames Per Minute", rate);
    perMinute->setAlignment(Qt::AlignCenter);
    rateRow->addWidget(perMinute, 1, 1);
    auto* zoom = new QGroupBox("Zoom", this);
    auto* zoomRow = new QHBoxLayout(zoom);
    zoomRow->addWidget(Caption("1:72", zoom));
    zoomRow->addWidget(TrackBar2, 1);
    zoomRow->addWidget(Caption("6:1", zoom));

    // The clock.
    auto spin = [this](QSpinBox*& s, const char* name, int min, int max) {
        s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(min, max);
    };
    spin(HourEdit, "HourEdit", 0, 23);
    spin(MinuteEdit, "MinuteEdit", 0, 59);
    spin(IntervalEdit, "IntervalEdit", 1, 60);
    ShowClockBox = new QCheckBox("Show clock", this);
    ShowClockBox->setObjectName("ShowClockBox");
    pushButton(RepositionButton, "RepositionButton", "Reposition");
    RepositionButton->setToolTip("Put the clock back in the viewer's top left corner");
    connect(RepositionButton, &QPushButton::clicked, this, [this] { RepositionClick(); });
    auto* clock = new QGroupBox("Clock", this);
    auto* clockGrid = new QGridLayout(clock);
    clockGrid->addWidget(Caption("Hour", clock), 0, 0);
    clockGrid->addWidget(HourEdit, 0, 1);
    clockGrid->addWidget(Caption("Minutes", clock), 0, 2);
    clockGrid->addWidget(MinuteEdit, 0, 3);
    clockGrid->addWidget(Caption("Interval", clock), 0, 4);
    clockGrid->addWidget(IntervalEdit, 0, 5);
    clockGrid->addWidget(ShowClockBox, 1, 0, 1, 3);
    clockGrid->addWidget(RepositionButton, 1, 4, 1, 2);

    pushButton(OKButton, "OKButton", "OK");
    pushButton(CancelButton, "CancelButton", "Cancel");
    pushButton(LoopButton, "LoopButton", "Loop");
    pushButton(HelpButton, "HelpButton", "Help");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(LoopButton, &QPushButton::clicked, this, [this] { LoopClick(); });
    ConnectToolHelp(this, HelpButton, HelpContext, &ShowHelp);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {OKButton, CancelButton, LoopButton, HelpButton}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(rate);
    layout->addWidget(zoom);
    layout->addWidget(clock);
    layout->addLayout(buttons);
    FormShow();
}

void TLoopDB::FormShow()
{
    std::vector<std::string> captions;
    for (TSketchPadWindow* pad : FMain.SketchPads) captions.push_back(pad->Caption());
    FEntries.clear();
    ListBox1->clear();
    for (size_t i : LoopOrder(captions)) {
        FEntries.push_back({captions[i], FMain.SketchPads[i]});
        ListBox1->addItem(ShownName(captions[i]));
    }
    if (!FEntries.empty()) ListBox1->setCurrentRow(0);
    TrackBar1->setValue(FSettings.Speed);
    TrackBar2->setValue(FSettings.ZoomState);
    UpdateZoomHint();
    HourEdit->setValue(FSettings.StartHour);
    MinuteEdit->setValue(FSettings.StartMinute);
    IntervalEdit->setValue(FSettings.IntervalMinutes);
    ShowClockBox->setChecked(FSettings.ShowClock != 0);
}

void TLoopDB::UpdateZoomHint() { TrackBar2->setToolTip(Latin1(ZoomStateHint(TrackBar2->value()))); }

void TLoopDB::MoveEntry(int Delta)
{
    const int row = ListBox1->currentRow(), to = row + Delta;
    if (row < 0 || to < 0 || to >= int(FEntries.size())) return;
    std::swap(FEntries[size_t(row)], FEntries[size_t(to)]);
    ListBox1->insertItem(to, ListBox1->takeItem(row));
    ListBox1->setCurrentRow(to);
}

void TLoopDB::DeleteEntry()
{
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(FEntries.size())) return;
    FEntries.erase(FEntries.begin() + row);
    delete ListBox1->takeItem(row);
    if (!FEntries.empty()) ListBox1->setCurrentRow(std::min(row, int(FEntries.size()) - 1));
}

void TLoopDB::EraseLabels()
{
    for (TSketchPadWindow* pad : FMain.SketchPads) {
        ClearLabels(*pad->Network, pad->Settings);
        pad->InvalidatePad();
        pad->View.Saved = 0; // a setting of the window: only this window becomes modified
    }
}

void TLoopDB::RepositionClick()
{
    FSettings.ClockLeft = 20;
    FSettings.ClockTop = 20;
}

TLoopSettings TLoopDB::ControlSettings() const
{
    TLoopSettings s = FSettings;
    s.Speed = TrackBar1->value();
    s.ZoomState = TrackBar2->value();
    s.StartHour = HourEdit->value();
    s.StartMinute = MinuteEdit->value();
    s.IntervalMinutes = IntervalEdit->value();
    s.ShowClock = ShowClockBox->isChecked() ? 1 : 0;
    return s;
}

void TLoopDB::OKClick()
{
    FSettings = ControlSettings();
    accept();
}

void TLoopDB::LoopClick()
{
    if (FEntries.empty()) return;
    FSettings.Speed = TrackBar1->value();
    FSettings.ZoomState = TrackBar2->value();
    // The viewer runs with the clock as the dialog shows it; OK or Cancel
    // decide later whether those settings are kept.
    TLoopSettings run = ControlSettings();
    const QListWidgetItem* current = ListBox1->currentItem();
    const int style = current && current->isSelected() ? ListBox1->currentRow() : -1;
    TLoopCanvasDB viewer(FMain, run, FEntries, style, ClockNow, this);
    ExecDialog(viewer);
    FSettings.ClockLeft = run.ClockLeft;
    FSettings.ClockTop = run.ClockTop;
    FSettings.ViewerWidth = run.ViewerWidth;
    FSettings.ViewerHeight = run.ViewerHeight;
}

void RegisterLoopPadItems(TZOKMainWindow& Main)
{
    // Always enabled: the loop works on whatever windows are open.
    Main.PadItems.SetCommand("Loop1", GateView, [](TSketchPadWindow& Pad) {
        TZOKMainWindow& main = Pad.Main;
        TLoopDB dialog(main, ProgramLoopSettings(main), &main);
        dialog.ExecDialog = main.ExecDialog;
        main.ExecDialog(dialog);
    });
}
