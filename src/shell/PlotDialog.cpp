#include "shell/PlotDialog.h"

#include <cmath>

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/Messages.h"
#include "core/model/Rounding.h"
#include "platform/Canvas.h"
#include "platform/CodePage.h"
#include "platform/Latin1.h"
#include "shell/RealEdit.h"

constexpr int PlotHelpContext = 1100;
constexpr double FontDialogPpi = 96.0;

QFont TitleFontToQFont(const TLogFont& Font)
{
    QFont f(Latin1(Font.FaceName));
    const double h = std::fabs(double(Font.Height));
    f.setPointSizeF(std::max(1.0, h * 72.0 / FontDialogPpi));
    f.setItalic(Font.Italic != 0);
    f.setUnderline(Font.Underline != 0);
    f.setStrikeOut(Font.StrikeOut != 0);
    f.setBold(Font.Weight >= 700);
    return f;
}

TLogFont TitleFontFromQFont(const QFont& Font, const TLogFont& Base)
{
    TLogFont l = Base;
    l.FaceName = Bytes(Font.family()).substr(0, 32);
    const double px = Font.pixelSize() > 0 ? Font.pixelSize() : Font.pointSizeF() * FontDialogPpi / 72.0;
    l.Height = -std::max<int32_t>(1, int32_t(pround(px)));
    l.Italic = Font.italic() ? 1 : 0;
    l.Underline = Font.underline() ? 1 : 0;
    l.StrikeOut = Font.strikeOut() ? 1 : 0;
    l.Weight = Font.bold() ? 700 : 400;
    return l;
}

namespace {

QLineEdit* NumberEdit(QWidget* parent, const char* name, double v)
{
    auto* e = new QLineEdit(Latin1(FormatRealText(v)), parent);
    e->setObjectName(name);
    return e;
}

} // namespace

TPlotDB::TPlotDB(TPlotSetup& Setup, const TPlotExtents& Extents, TMessageSink& Boxes,
                 std::function<int(QDialog&)> Exec, std::function<void(int)> Help, QWidget* Parent)
    : QDialog(Parent), FSetup(Setup), FExtents(Extents), FBoxes(Boxes), FExec(std::move(Exec)), FHelp(std::move(Help)),
      FFont(Setup.TitleFont), FColor(Setup.TitleColor)
{
    setObjectName("PlotDB");
    setWindowTitle("Plot Page Setup");
    auto* v = new QVBoxLayout(this);

    auto* top = new QFormLayout;
    TitleEdit = new QLineEdit(ShowText(Setup.Title.substr(0, 50)), this);
    TitleEdit->setObjectName("TitleEdit");
    TitleEdit->setMaxLength(50);
    TitleEdit->setToolTip("Double-click to choose the title font");
    TitleEdit->installEventFilter(this);
    top->addRow("Title:", TitleEdit);
    FontButton = new QPushButton("&Title Font", this);
    FontButton->setObjectName("FontButton");
    connect(FontButton, &QPushButton::clicked, this, [this] { ChooseTitleFont(); });
    top->addRow("", FontButton);
    ScaleEdit = NumberEdit(this, "ScaleEdit", Setup.Page.Ppi);
    ScaleEdit->setToolTip("Pixels per Inch");
    top->addRow("Scale:", ScaleEdit);
    v->addLayout(top);

    auto* checks = new QHBoxLayout;
    MonochromeCB = new QCheckBox("Monochrome", this);
    MonochromeCB->setObjectName("MonochromeCB");
    MonochromeCB->setChecked(Setup.Monochrome);
    CenterTitleCB = new QCheckBox("Center Title", this);
    CenterTitleCB->setObjectName("CenterTitleCB");
    CenterTitleCB->setChecked(Setup.CenterTitle);
    checks->addWidget(MonochromeCB);
    checks->addWidget(CenterTitleCB);
    v->addLayout(checks);

    auto* margins = new QGroupBox("Margins (inches)", this);
    auto* mg = new QGridLayout(margins);
    TopEdit = NumberEdit(margins, "TopEdit", Setup.Page.Top);
    BottomEdit = NumberEdit(margins, "BottomEdit", Setup.Page.Bottom);
    LeftEdit = NumberEdit(margins, "LeftEdit", Setup.Page.Left);
    RightEdit = NumberEdit(margins, "RightEdit", Setup.Page.Right);
    mg->addWidget(new QLabel("Top:", margins), 0, 0);
    mg->addWidget(TopEdit, 0, 1);
    mg->addWidget(new QLabel("Bottom:", margins), 0, 2);
    mg->addWidget(BottomEdit, 0, 3);
    mg->addWidget(new QLabel("Left:", margins), 1, 0);
    mg->addWidget(LeftEdit, 1, 1);
    mg->addWidget(new QLabel("Right:", margins), 1, 2);
    mg->addWidget(RightEdit, 1, 3);
    v->addWidget(margins);

    auto* shift = new QGroupBox("Image Shift (inches)", this);
    auto* sg = new QGridLayout(shift);
    DownEdit = NumberEdit(shift, "DownEdit", Setup.Page.ShiftDown);
    ShiftRightEdit = NumberEdit(shift, "ShiftRightEdit", Setup.Page.ShiftRight);
    sg->addWidget(new QLabel("Down:", shift), 0, 0);
    sg->addWidget(DownEdit, 0, 1);
    sg->addWidget(new QLabel("Right:", shift), 0, 2);
    sg->addWidget(ShiftRightEdit, 0, 3);
    v->addWidget(shift);

    auto* box = new QDialogButtonBox(this);
    OKBtn = box->addButton(QDialogButtonBox::Ok);
    OKBtn->setObjectName("OKBtn");
    CancelBtn = box->addButton(QDialogButtonBox::Cancel);
    CancelBtn->setObjectName("CancelBtn");
    HelpBtn = box->addButton(QDialogButtonBox::Help);
    HelpBtn->setObjectName("HelpBtn");
    connect(box, &QDialogButtonBox::accepted, this, &TPlotDB::accept);
    connect(box, &QDialogButtonBox::rejected, this, &TPlotDB::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] {
        if (FHelp) FHelp(PlotHelpContext);
    });
    v->addWidget(box);
}

bool TPlotDB::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == TitleEdit && Event->type() == QEvent::MouseButtonDblClick) {
        ChooseTitleFont();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TPlotDB::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_F1) {
        if (FHelp) FHelp(PlotHelpContext);
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TPlotDB::ChooseTitleFont()
{
    QFontDialog fd(TitleFontToQFont(FFont), this);
    fd.setObjectName("TitleFontDialog");
    if (!FExec || FExec(fd) != QDialog::Accepted) return;
    FFont = TitleFontFromQFont(fd.selectedFont(), FFont);
    const TColorValue rgb = ColorFromBgr(FColor);
    QColorDialog cd(QColor(int((rgb >> 16) & 255), int((rgb >> 8) & 255), int(rgb & 255)), this);
    cd.setObjectName("TitleColorDialog");
    if (FExec(cd) == QDialog::Accepted) {
        const QColor c = cd.selectedColor();
        FColor = ColorToBgr((TColorValue(c.red()) << 16) | (TColorValue(c.green()) << 8) | TColorValue(c.blue()));
    }
}

void TPlotDB::accept()
{
    struct TField {
        QLineEdit* Edit;
        double* Value;
        unsigned Bit;
    };
    TPlotPage page;
    const TField fields[] = {{ScaleEdit, &page.Ppi, PageScale},       {LeftEdit, &page.Left, PageLeft},
                             {RightEdit, &page.Right, PageRight},     {TopEdit, &page.Top, PageTop},
                             {BottomEdit, &page.Bottom, PageBottom},  {ShiftRightEdit, &page.ShiftRight, PageShiftRight},
                             {DownEdit, &page.ShiftDown, PageShiftDown}};
    unsigned bad = 0;
    for (const TField& f : fields) {
        f.Edit->setStyleSheet(QString());
        if (!ParseRealText(Bytes(f.Edit->text()), *f.Value)) bad |= f.Bit;
    }
    // The rules need every number; a field that is no number is refused on its own.
    if (bad == 0) bad = PageSetupBadFields(page, FExtents);
    if (bad != 0) {
        for (const TField& f : fields)
            if (bad & f.Bit) f.Edit->setStyleSheet("color: red");
        ShowMessageBox(FBoxes, 146, 28, MB_EXCLAMATION_OK);
        return;
    }
    if (!TypedTextsKept({TitleEdit}, &FBoxes)) return;
    FSetup.Page = page;
    FSetup.Title = TypedText(TitleEdit->text(), 80);
    FSetup.TitleFont = FFont;
    FSetup.TitleColor = FColor;
    FSetup.Monochrome = MonochromeCB->isChecked();
    FSetup.CenterTitle = CenterTitleCB->isChecked();
    QDialog::accept();
}
