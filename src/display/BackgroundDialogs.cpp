#include "display/BackgroundDialogs.h"

#include <algorithm>

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/model/Messages.h"
#include "display/DisplaySupport.h"
#include "platform/FileNames.h"
#include "platform/MessageBoxes.h"
#include "shell/MainWindow.h"
#include "shell/PadHandles.h"
#include "shell/SketchPad.h"

namespace {

constexpr int TextBackgrounds = 284;
constexpr int TextErrorInFile = 285;

QLineEdit* NumberEdit(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(50);
    return e;
}

} // namespace

// ---- "Background Graphics" ----

TBackgroundsDB::TBackgroundsDB(TSketchPadWindow& Pad, TBackgroundKind Kind, QWidget* Parent)
    : QDialog(Parent), Working(Kind, Pad.Settings.Backgrounds, *Pad.BackgroundImages), FPad(Pad)
{
    // The frame and its handles belong to a picture this dialog may remove,
    // move to another slot or replace: they go before the dialog opens.
    if (Pad.Handles) Pad.Handles->ShowBackgroundFrame(false);
    const bool raster = Kind == TBackgroundKind::Raster;
    setObjectName(raster ? "BackgroundsDB" : "WMFDB");
    setWindowTitle(raster ? "Background Graphics -- JPEG" : "Background Graphics -- Metafiles");
    auto* v = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl1");
    for (int k = 1; k <= TBackgroundWorkingSet::SlotCount; ++k) {
        auto* page = new QWidget(PageControl);
        page->setObjectName(QString("TabSheet%1").arg(k));
        auto* form = new QFormLayout(page);
        auto* name = new QLineEdit(page);
        name->setObjectName(QString("NameEdit%1").arg(k));
        name->setReadOnly(true);
        name->setMinimumWidth(320);
        name->installEventFilter(this);
        NameEdits[size_t(k)] = name;
        form->addRow(raster ? "JPEG File Name:" : "Metafile Name:", name);
        XEdits[size_t(k)] = NumberEdit(page, QString("XEdit%1").arg(k));
        YEdits[size_t(k)] = NumberEdit(page, QString("YEdit%1").arg(k));
        XScaleEdits[size_t(k)] = NumberEdit(page, QString("XScaleEdit%1").arg(k));
        YScaleEdits[size_t(k)] = NumberEdit(page, QString("YScaleEdit%1").arg(k));
        form->addRow("Left, X:", XEdits[size_t(k)]);
        form->addRow("Top, Y:", YEdits[size_t(k)]);
        form->addRow("X Scale:", XScaleEdits[size_t(k)]);
        form->addRow("Y Scale:", YScaleEdits[size_t(k)]);
        PageControl->addTab(page, QString(raster ? "Jpeg %1" : "EMF %1").arg(k));
    }
    v->addWidget(PageControl);

    auto* row = new QHBoxLayout;
    AddOkCancel(*this, row, "OKButton", "CancelButton", &OKButton);
    ReferenceButton = NamedButton(this, "ReferenceButton", "R&eference");
    ReferenceButton->setToolTip("Import by reference");
    RemoveButton = NamedButton(this, "RemoveButton", "&Remove");
    row->addWidget(ReferenceButton);
    row->addWidget(RemoveButton);
    if (!raster) {
        ClipboardButton = NamedButton(this, "ClipboardButton", "Clipboard");
        row->addWidget(ClipboardButton);
        connect(ClipboardButton, &QPushButton::clicked, this, &TBackgroundsDB::ClipboardClick);
    }
    PromoteButton = NamedButton(this, "PromoteButton", QString());
    DemoteButton = NamedButton(this, "DemoteButton", QString());
    PromoteButton->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    DemoteButton->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    PromoteButton->setToolTip("Promote");
    DemoteButton->setToolTip("Demote");
    row->addWidget(PromoteButton);
    row->addWidget(DemoteButton);
    v->addLayout(row);
    connect(ReferenceButton, &QPushButton::clicked, this, &TBackgroundsDB::ReferenceClick);
    connect(RemoveButton, &QPushButton::clicked, this, &TBackgroundsDB::RemoveClick);
    connect(PromoteButton, &QPushButton::clicked, this, &TBackgroundsDB::PromoteClick);
    connect(DemoteButton, &QPushButton::clicked, this, &TBackgroundsDB::DemoteClick);
    connect(PageControl, &QTabWidget::currentChanged, this, &TBackgroundsDB::PageChanged);

    Push();
    PageControl->setCurrentIndex(0);
    PageChanged(0);
}

bool TBackgroundsDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonDblClick)
        for (int k = 1; k <= TBackgroundWorkingSet::SlotCount; ++k)
            if (Watched == NameEdits[size_t(k)]) {
                ReferenceClick();
                return true;
            }
    return QDialog::eventFilter(Watched, Event);
}

void TBackgroundsDB::PageChanged(int Index)
{
    CurrentSlot = std::clamp(Index + 1, 1, TBackgroundWorkingSet::SlotCount);
    PromoteButton->setEnabled(CurrentSlot >= 2);
    DemoteButton->setEnabled(CurrentSlot < TBackgroundWorkingSet::SlotCount);
}

void TBackgroundsDB::Pull()
{
    for (int k = 1; k <= TBackgroundWorkingSet::SlotCount; ++k) {
        TBackgroundDraft& d = Working.Slots[size_t(k)];
        d.X = XEdits[size_t(k)]->text();
        d.Y = YEdits[size_t(k)]->text();
        d.XScale = XScaleEdits[size_t(k)]->text();
        d.YScale = YScaleEdits[size_t(k)]->text();
    }
}

void TBackgroundsDB::Push()
{
    for (int k = 1; k <= TBackgroundWorkingSet::SlotCount; ++k) {
        const TBackgroundDraft& d = Working.Slots[size_t(k)];
        NameEdits[size_t(k)]->setText(d.Name);
        XEdits[size_t(k)]->setText(d.X);
        YEdits[size_t(k)]->setText(d.Y);
        XScaleEdits[size_t(k)]->setText(d.XScale);
        YScaleEdits[size_t(k)]->setText(d.YScale);
    }
}

void TBackgroundsDB::SetRed(QLineEdit* Edit, bool Red) { ::SetRed(Edit, Red); }

void TBackgroundsDB::ReferenceClick()
{
    const bool raster = Working.Kind == TBackgroundKind::Raster;
    const QStringList filters = raster ? QStringList{"JPEG Image (*.jpg)", "All Files (*)"}
                                       : QStringList{"SVG Image (*.svg)", "All Files (*)"};
    QString file;
    if (!ChooseFile(FPad, this, "OpenPictureDialog", raster ? "Open JPEG Image" : "Open Windows Metafile", filters,
                    false, file))
        return;
    Pull();
    Working.Reference(CurrentSlot, file);
    Push();
}

void TBackgroundsDB::ClipboardClick()
{
    Pull();
    Working.TakeClipboard(CurrentSlot);
    Push();
}

void TBackgroundsDB::RemoveClick()
{
    Pull();
    Working.Remove(CurrentSlot);
    Push();
}

void TBackgroundsDB::PromoteClick()
{
    Pull();
    if (Working.Promote(CurrentSlot)) Push();
}

void TBackgroundsDB::DemoteClick()
{
    Pull();
    if (Working.Demote(CurrentSlot)) Push();
}

void TBackgroundsDB::accept()
{
    Pull();
    for (int k = 1; k <= TBackgroundWorkingSet::SlotCount; ++k)
        for (QLineEdit* e : {NameEdits[size_t(k)], XEdits[size_t(k)], YEdits[size_t(k)], XScaleEdits[size_t(k)],
                             YScaleEdits[size_t(k)]})
            SetRed(e, false);
    std::string networkFile = FPad.BackgroundImages->NetworkFile();
    if (networkFile.empty() && FPad.FileName != FPad.Main.DefaultFileName) networkFile = FPad.FileName;
    const auto check = Working.Commit(FPad.Settings.Backgrounds, *FPad.BackgroundImages, networkFile, ClipboardDrawing);
    if (check.Ok) {
        QDialog::accept();
        return;
    }
    for (int k = 1; k <= TBackgroundWorkingSet::SlotCount; ++k) {
        SetRed(NameEdits[size_t(k)], check.NameFailed[size_t(k)]);
        QLineEdit* numbers[4] = {XEdits[size_t(k)], YEdits[size_t(k)], XScaleEdits[size_t(k)], YScaleEdits[size_t(k)]};
        for (int i = 0; i < 4; ++i) SetRed(numbers[i], check.NumberFailed[size_t(k)][size_t(i)]);
    }
    if (!check.Unstorable.isEmpty())
        ShowMessageNamingFiles(*FPad.Main.Boxes, UnstorableNameText(check.Unstorable), MessageText(TextBackgrounds),
                               MB_EXCLAMATION_OK);
    else
        ShowMessageBox(*FPad.Main.Boxes, TextErrorInFile, TextBackgrounds, MB_EXCLAMATION_OK);
}

// ---- "Underlay Network" ----

TUnderlayDB::TUnderlayDB(TSketchPadWindow& Pad, QWidget* Parent) : QDialog(Parent), FPad(Pad)
{
    setObjectName("UnderlayDB");
    setWindowTitle("Underlay Network");
    auto* v = new QVBoxLayout(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItem("None");
    for (const TSketchPadWindow* w : Pad.Main.SketchPads) ComboBox1->addItem(w->windowTitle());
    // A number that names no open window selects nothing, and is kept.
    const int32_t u = Pad.Settings.Backgrounds.Underlay;
    ComboBox1->setCurrentIndex(u >= 0 && u < ComboBox1->count() ? int(u) : -1);
    ComboBox1->setMinimumWidth(280);
    v->addWidget(ComboBox1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddOkCancel(*this, row);
    v->addLayout(row);
}

int32_t TUnderlayDB::Underlay() const
{
    const int i = ComboBox1->currentIndex();
    // Choosing the window itself leaves the underlay as it was.
    if (i < 0 || i == FPad.WindowNumber) return FPad.Settings.Backgrounds.Underlay;
    return i;
}
