#include "display/TitleBlockDialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "core/expr/LabelChoices.h"
#include "display/DisplaySupport.h"
#include "display/LabelDialogs.h"
#include "schema/SchemaCommon.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {

// The description's lines are kept with CR LF between them.
QString DescriptionForEdit(const std::string& text)
{
    QString s = WindowsText(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

std::string DescriptionFromEdit(const QString& text)
{
    std::string out;
    for (char c : WindowsBytes(text)) {
        if (c == '\n')
            out += "\r\n";
        else
            out.push_back(c);
    }
    return out;
}

} // namespace

TDescriptionBox::TDescriptionBox(TSketchPadWindow& Pad, QWidget* Parent) : QDialog(Parent), FPad(Pad)
{
    setObjectName("DescriptionBox");
    setWindowTitle("Description");
    const TDescription& d = Pad.Settings.Description;
    Fonts = {d.ProjectFont, d.OrganizationFont, d.JobFont, d.ClientFont, d.AuthorFont, d.DescriptionFont};

    auto* v = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto edit = [&](const char* name, const std::string& text) {
        auto* e = new QLineEdit(WindowsText(text), this);
        e->setObjectName(name);
        e->setMinimumWidth(300);
        return e;
    };
    auto check = [&](const char* name, const char* caption, uint8_t on) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(name);
        c->setChecked(on != 0);
        return c;
    };
    auto fontLabel = [&](const char* name, int which) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setToolTip("Double-click to change");
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(40);
        l->installEventFilter(this);
        FontLabels[size_t(which)] = l;
        ShowFont(which);
        return l;
    };
    projecteb = edit("projecteb", d.Project);
    organizationeb = edit("organizationeb", d.Organization);
    Jobeb = edit("Jobeb", d.Job);
    customereb = edit("customereb", d.Client);
    authoreb = edit("authoreb", d.Author);
    doprojectcb = check("doprojectcb", "Project", d.ShowProject);
    doorganizationcb = check("doorganizationcb", "Organization", d.ShowOrganization);
    dojobcb = check("dojobcb", "Job", d.ShowJob);
    docustomercb = check("docustomercb", "Client", d.ShowClient);
    doauthorcb = check("doauthorcb", "Author", d.ShowAuthor);
    dodescriptioncb = check("dodescriptioncb", "Description", d.ShowDescription);
    struct TRow {
        QCheckBox* Check;
        QWidget* Edit;
        const char* FontName;
        int Which;
    };
    const TRow rows[] = {{doprojectcb, projecteb, "projectfontlb", ProjectSlot},
                         {doorganizationcb, organizationeb, "organizationfontlb", OrganizationSlot},
                         {dojobcb, Jobeb, "jobfontlb", JobSlot},
                         {docustomercb, customereb, "customerfontlb", ClientSlot},
                         {doauthorcb, authoreb, "authorfontlb", AuthorSlot}};
    int r = 0;
    for (const TRow& row : rows) {
        grid->addWidget(row.Check, r, 0);
        grid->addWidget(row.Edit, r, 1);
        grid->addWidget(fontLabel(row.FontName, row.Which), r, 2);
        ++r;
    }
    descriptioneb = new QPlainTextEdit(DescriptionForEdit(d.DescriptionText), this);
    descriptioneb->setObjectName("descriptioneb");
    grid->addWidget(dodescriptioncb, r, 0, Qt::AlignTop);
    grid->addWidget(descriptioneb, r, 1);
    grid->addWidget(fontLabel("descriptionfontlb", DescriptionSlot), r, 2, Qt::AlignTop);
    v->addLayout(grid);

    auto* bottom = new QHBoxLayout;
    CaptionsCB = check("CaptionsCB", "Show Captions", d.ShowCaptions);
    drawboxcb = check("drawboxcb", "Draw box", d.DrawBox);
    TodayCB = check("TodayCB", "Add Today", d.AddToday);
    bottom->addWidget(CaptionsCB);
    bottom->addWidget(drawboxcb);
    bottom->addWidget(TodayCB);
    auto* place = new QFormLayout;
    xeb = new TStoredSpinBox(this, "xeb", -512000, 512000);
    yeb = new TStoredSpinBox(this, "yeb", -512000, 512000);
    xeb->SetStored(d.X);
    yeb->SetStored(d.Y);
    place->addRow("X:", xeb);
    place->addRow("Y:", yeb);
    bottom->addLayout(place);
    v->addLayout(bottom);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, buttons, "Button1", "Button2");
    v->addLayout(buttons);
}

void TDescriptionBox::ShowFont(int Which)
{
    QLabel* l = FontLabels[size_t(Which)];
    if (!l) return;
    const int32_t slot = Fonts[size_t(Which)];
    l->setText(QString::fromStdString(FontSlotCaption(slot)));
    const TWindowFont f = ApplyWindowFont(FPad.Settings.Labels, slot, false);
    l->setFont(f.Font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, f.Colour);
    l->setPalette(p);
}

bool TDescriptionBox::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonDblClick)
        for (int k = 0; k < 6; ++k)
            if (Watched == FontLabels[size_t(k)]) {
                ChooseFont(k);
                return true;
            }
    return QDialog::eventFilter(Watched, Event);
}

void TDescriptionBox::ChooseFont(int Which)
{
    if (ChooseLabelFont(FPad, this, FPad.Settings.Labels, Fonts[size_t(Which)])) ShowFont(Which);
}

void TDescriptionBox::accept()
{
    if (TypedTextsKept({projecteb, organizationeb, Jobeb, customereb, authoreb, descriptioneb}, FPad.Main.Boxes))
        QDialog::accept();
}

void TDescriptionBox::Store(TDescription& d) const
{
    d.Project = WindowsBytes(projecteb->text());
    d.Organization = WindowsBytes(organizationeb->text());
    d.Job = WindowsBytes(Jobeb->text());
    d.Client = WindowsBytes(customereb->text());
    d.Author = WindowsBytes(authoreb->text());
    d.DescriptionText = DescriptionFromEdit(descriptioneb->toPlainText());
    d.ShowProject = doprojectcb->isChecked();
    d.ShowOrganization = doorganizationcb->isChecked();
    d.ShowJob = dojobcb->isChecked();
    d.ShowClient = docustomercb->isChecked();
    d.ShowAuthor = doauthorcb->isChecked();
    d.ShowDescription = dodescriptioncb->isChecked();
    d.ShowCaptions = CaptionsCB->isChecked();
    d.DrawBox = drawboxcb->isChecked();
    d.AddToday = TodayCB->isChecked();
    d.X = xeb->Stored();
    d.Y = yeb->Stored();
    d.ProjectFont = Fonts[ProjectSlot];
    d.OrganizationFont = Fonts[OrganizationSlot];
    d.JobFont = Fonts[JobSlot];
    d.ClientFont = Fonts[ClientSlot];
    d.AuthorFont = Fonts[AuthorSlot];
    d.DescriptionFont = Fonts[DescriptionSlot];
}
