#include "tools/Tiger2000Dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/model/Messages.h"
#include "core/model/WindowSettings.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "shell/MainWindow.h"
#include "shell/RealEdit.h"
#include "shell/SketchPad.h"
#include "tools/BatchWindowHost.h"
#include "tools/ToolFiles.h"
#include "tools/ToolHelp.h"
#include "tools/ToolWidgets.h"

namespace {

constexpr int MsgTransformValues = 291; // "Error in transform values."
constexpr int CaptionTiger = 301;       // "Tiger 2000"

const char* const TigerFilter = "Tiger Files (*.rt?)|*.rt?|All files (*.*)|*.*";

// Keeps the boxes of a long step until it is over, so that they show with
// the ordinary cursor. Only boxes with a single button are kept back.
class TDeferredBoxes : public TMessageSink {
public:
    int MessageBox(const std::string& Text, const std::string& Caption, int Flags) override
    {
        Calls.push_back({Text, Caption, Flags});
        return DefaultButton(Flags);
    }
    void ShowTo(TMessageSink& Sink) const
    {
        for (const TMessageSinkRecorder::TCall& c : Calls) Sink.MessageBox(c.Text, c.Caption, c.Flags);
    }

private:
    std::vector<TMessageSinkRecorder::TCall> Calls;
};

} // namespace

bool SameTigerSettings(const TTigerSettings& A, const TTigerSettings& B)
{
    return A.YScale == B.YScale && A.XTranslate == B.XTranslate && A.YTranslate == B.YTranslate &&
           A.Method == B.Method;
}

int TigerMethodOfRadio(int Radio)
{
    switch (Radio) {
    case 1:
        return 2;
    case 2:
        return 3;
    default:
        return 0;
    }
}

int TigerRadioOfMethod(int Method)
{
    switch (Method) {
    case 2:
        return 1;
    case 3:
        return 2;
    default:
        return 0;
    }
}

TTiger2000DB::TTiger2000DB(TNetwork& Net, TWindowSettings& Settings, QWidget* Parent)
    : QDialog(Parent), FNet(Net), FSettings(Settings)
{
    setObjectName("Tiger2000DB");
    setWindowTitle("TIGER 2000 Import");
    setProperty("HelpContext", HelpContext);

    auto value = [this](trealedit*& edit, const char* name, QLabel*& label, const char* labelName,
                        const char* caption, const char* hint) {
        edit = new trealedit(this);
        edit->setObjectName(name);
        edit->setToolTip(QString::fromLatin1(hint));
        label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(labelName);
        label->setToolTip(ImportButtonHint());
        label->setBuddy(edit);
        label->installEventFilter(this);
    };
    value(YScaleEB, "YScaleEB", YScaleLabel, "YScaleLabel", "Y Scale:", "Pixels per degree latitude.");
    value(XTranslateEB, "XTranslateEB", XTranslateLabel, "XTranslateLabel", "X Translate:",
          "Use negative of central longitude in degrees.");
    value(YTranslateEB, "YTranslateEB", YTranslateLabel, "YTranslateLabel", "Y Translate:",
          "Use negative of central latitude in degrees.");

    ProjectionRG = new QGroupBox("Projection Method", this);
    ProjectionRG->setObjectName("ProjectionRG");
    ProjectionRG->setToolTip("Method of converting long/lat to pixels.");
    Projection = new QButtonGroup(this);
    auto* radios = new QVBoxLayout(ProjectionRG);
    const char* const methods[3] = {"Equidistant", "Transverse Mercator", "Lambert Conformal"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(QString::fromLatin1(methods[i]), ProjectionRG);
        r->setObjectName(QString("ProjectionRadio%1").arg(i + 1));
        Projection->addButton(r, i);
        radios->addWidget(r);
    }

    auto button = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(ImportButton, "ImportButton", "&IMPORT");
    ImportButton->setToolTip(ImportButtonHint());
    button(OKButton, "OKButton", "OK");
    button(CancelButton, "CancelButton", "Cancel");
    button(HelpButton, "HelpButton", "Help");
    OKButton->setDefault(true);
    connect(ImportButton, &QPushButton::clicked, this, [this] { ImportClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ConnectToolHelp(this, HelpButton, HelpContext, &ShowHelp);

    TigerDB = MakeFileChooser(this, "TigerDB", "TIGER Import", TigerFilter, false, nullptr);

    auto* grid = new QGridLayout;
    grid->addWidget(YScaleLabel, 0, 0);
    grid->addWidget(YScaleEB, 0, 1);
    grid->addWidget(XTranslateLabel, 1, 0);
    grid->addWidget(XTranslateEB, 1, 1);
    grid->addWidget(YTranslateLabel, 2, 0);
    grid->addWidget(YTranslateEB, 2, 1);
    grid->addWidget(ProjectionRG, 0, 2, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ImportButton);
    buttons->addStretch();
    for (QPushButton* b : {OKButton, CancelButton, HelpButton}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    StatusEB = toolwidgets::AddStatusField(this, layout);
    layout->addLayout(buttons);

    FormShow();
}

TTiger2000DB::~TTiger2000DB() = default;

QString TTiger2000DB::ImportButtonHint()
{
    return "Read and convert a set of TIGER files contained in a single folder.";
}

TMessageSink& TTiger2000DB::Sink()
{
    if (Boxes) return *Boxes;
    if (!FOwnBoxes) FOwnBoxes = std::make_unique<TQtMessageBoxes>(this);
    return *FOwnBoxes;
}

void TTiger2000DB::FormShow()
{
    const TTigerSettings s = TigerSettingsOf(FSettings);
    YScaleEB->SetValue(s.YScale);
    XTranslateEB->SetValue(s.XTranslate);
    YTranslateEB->SetValue(s.YTranslate);
    for (trealedit* e : {YScaleEB, XTranslateEB, YTranslateEB}) SetTextRed(e, false);
    Projection->button(TigerRadioOfMethod(s.Method))->setChecked(true);
    ImportButton->setEnabled(true);
}

void TTiger2000DB::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    YScaleEB->setFocus();
}

bool TTiger2000DB::CheckValues(TTigerSettings& Values)
{
    Values = TigerSettingsOf(FSettings);
    bool failed = false;
    auto read = [&](trealedit* e, double& v, bool scale) {
        double x = 0;
        const bool bad = !ParseRealText(Bytes(e->text()), x) || (scale && x == 0);
        SetTextRed(e, bad);
        if (bad)
            failed = true;
        else
            v = x;
    };
    read(YScaleEB, Values.YScale, true);
    read(XTranslateEB, Values.XTranslate, false);
    read(YTranslateEB, Values.YTranslate, false);
    // A code the radios show as it is stays (1 and 0 are both equidistant).
    const int radio = std::max(0, Projection->checkedId());
    if (TigerRadioOfMethod(Values.Method) != radio) Values.Method = TigerMethodOfRadio(radio);
    if (failed) ShowMessageBox(Sink(), MsgTransformValues, CaptionTiger, MB_EXCLAMATION_OK);
    return !failed;
}

void TTiger2000DB::OKClick()
{
    if (FImporting) return;
    TTigerSettings v;
    if (!CheckValues(v)) return;
    if (!SameTigerSettings(v, TigerSettingsOf(FSettings))) {
        StoreTigerSettings(v, FSettings);
        if (ClearSaved) ClearSaved();
    }
    accept();
}

void TTiger2000DB::ImportClick()
{
    if (FImporting) return;
    TTigerSettings v;
    if (!CheckValues(v)) return;
    const bool chosen = RunFileDialog ? RunFileDialog(*TigerDB) : TigerDB->exec() == QDialog::Accepted;
    if (!chosen || TigerDB->selectedFiles().isEmpty()) return;
    const std::string file = DiskName(TigerDB->selectedFiles().first());
    if (!file.empty()) ImportSet(file, v);
}

TTigerResult TTiger2000DB::ImportSet(const std::string& AnyFile, TTigerSettings Values)
{
    // While the set is read and events run, nothing may start another
    // import, close this dialog, or close the network.
    FImporting = true;
    if (HoldNetwork) HoldNetwork(true);
    for (QPushButton* b : {ImportButton, OKButton, CancelButton}) b->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto pump = [this] {
        if (Pump)
            Pump();
        else
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    StatusEB->clear();
    pump();
    TDeferredBoxes boxes;
    const auto names = FSettings.Layers.LayerNames;
    const TTigerSettings values = TigerSettingsOf(FSettings);
    const TTigerResult r = ImportTiger(FNet, FSettings, Values, TigerFileSetFor(AnyFile), pump, boxes);
    // What was read stays, also after a failure on the way: the windows show it.
    if (r.Changed && NetworkChanged) NetworkChanged(r);
    // The window's layer names or values changed (with a change of the
    // network every window of it is marked anyway).
    if (!r.Changed && (FSettings.Layers.LayerNames != names || !SameTigerSettings(values, TigerSettingsOf(FSettings))) &&
        ClearSaved)
        ClearSaved();
    QApplication::restoreOverrideCursor();
    pump();
    for (QPushButton* b : {OKButton, CancelButton}) b->setEnabled(true);
    if (HoldNetwork) HoldNetwork(false);
    FImporting = false;
    boxes.ShowTo(Sink());
    if (r.ErrorCode != TigerErrorValues) toolwidgets::ShowStatus(StatusEB, TigerImportStatus(r));
    if (r.ErrorCode == TigerErrorNone && r.ClampedPoints == 0) {
        accept();
    } else {
        // The values used (the translations the data gave among them) are the window's now.
        FormShow();
    }
    return r;
}

bool TTiger2000DB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonPress &&
        (Watched == YScaleLabel || Watched == XTranslateLabel || Watched == YTranslateLabel)) {
        ImportClick();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TTiger2000DB::reject()
{
    if (FImporting) return;
    QDialog::reject();
}

void TTiger2000DB::closeEvent(QCloseEvent* Event)
{
    if (FImporting) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void RegisterTigerPadItems(TZOKMainWindow& Main)
{
    Main.PadItems.SetCommand("TIGER20001", GateChange, [](TSketchPadWindow& Pad) {
        TZOKMainWindow& main = Pad.Main;
        TTiger2000DB dialog(*Pad.Network, Pad.Settings, &main);
        dialog.Boxes = main.Boxes;
        dialog.ClearSaved = [&Pad] { Pad.View.Saved = 0; };
        // While the set is read the network is held: only views of it go on.
        TBusyGate::TRun run;
        dialog.HoldNetwork = [&main, &Pad, &run](bool busy) {
            if (busy)
                run = main.Gate.Begin(TBusyKind::Import, Pad.Network.get(), &Pad, GateView);
            else
                run.End();
        };
        dialog.NetworkChanged = [&Pad](const TTigerResult&) { RefitNetworkWindows(Pad); };
        dialog.ShowHelp = [&main](int context) { main.ShowHelpTopic(context); };
        main.ExecDialog(dialog);
    });
}
