#include "schema/SchemaCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/calc/CalcDialogModel.h"
#include "core/edit/ElementReports.h"
#include "core/expr/BuiltinProperties.h"
#include "core/expr/SearchFilter.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "schema/DefinitionDialogs.h"
#include "schema/ElementDialogs.h"
#include "schema/SearchDialogs.h"
#include "schema/ValueDialogs.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {

QPushButton* Button(QDialog* d, const char* name, const char* text)
{
    auto* b = new QPushButton(QString::fromLatin1(text), d);
    b->setObjectName(name);
    return b;
}

// A dialog with a body and OK and Cancel below it.
// OK accepts when Check (where given) lets it.
void AddOkCancel(QDialog& d, QVBoxLayout* layout, const std::function<bool()>& Check = {})
{
    QPushButton* ok = Button(&d, "OKBtn", "OK");
    QPushButton* cancel = Button(&d, "CancelBtn", "Cancel");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, [&d, Check] {
        if (!Check || Check()) d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
}

// A list picker: double click acts as OK. Returns the chosen row, -1 when cancelled.
int PickFromList(TSchemaContext& Ctx, const char* name, const QString& caption, const QStringList& items, QWidget* parent)
{
    QDialog d(parent);
    d.setObjectName(name);
    d.setWindowTitle(caption);
    auto* list = new QListWidget(&d);
    list->setObjectName("ListBox1");
    list->addItems(items);
    if (!items.isEmpty()) list->setCurrentRow(0);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &d, &QDialog::accept);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(list);
    AddOkCancel(d, layout);
    if (Ctx.Exec(d) != QDialog::Accepted) return -1;
    return list->currentRow();
}

void Repaint(TSketchPadWindow& Pad) { Pad.Main.InvalidateNetworkViews(Pad); }

} // namespace

// ---------------------------------------------------------------- pickers

int SelectAttribute(TSchemaContext& Ctx, const TClassRecord& Class, QWidget* Parent)
{
    QStringList items;
    const int n = std::clamp(Class.AttributeCount, 0, MaxAttributes);
    for (int i = 1; i <= n; ++i)
        items << ShowText(PositionalAttributeName(i) + "  " + (Class.Attr(i) ? Class.Attr(i)->Name : ""));
    const int row = PickFromList(Ctx, "SelectAttributeDB", "Select Attribute", items, Parent);
    return row < 0 ? 0 : row + 1;
}

char SelectProperty(TSchemaContext& Ctx, bool Links, bool OtherItem, QWidget* Parent)
{
    const BuiltinPropertyTable& t = BuiltinProperties();
    const int kind = Links ? 1 : 0;
    QStringList items;
    std::vector<char> codes;
    for (int i = 0; i < t.PropertyCounts[size_t(kind)]; ++i) {
        const BuiltinProperty& p = t.PropertyNames(kind, i);
        items << ShowText(std::string(1, p.Code) + "  " + p.Name);
        codes.push_back(p.Code);
    }
    const int row = PickFromList(Ctx, "SelectPropertiesDB", OtherItem ? "Select Other Item" : "Select Property", items, Parent);
    return row < 0 ? ' ' : codes[size_t(row)];
}

namespace {
// "Expression Edit": OK is refused (a beep, the memo stays) while the text
// without its line breaks is longer than a line may be.
class TExpressionMemoDB : public QDialog {
public:
    explicit TExpressionMemoDB(QWidget* Parent) : QDialog(Parent)
    {
        setObjectName("ExpressionMemoDB");
        Memo1 = new QPlainTextEdit(this);
        Memo1->setObjectName("Memo1");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Memo1);
        AddOkCancel(*this, layout);
    }
    QPlainTextEdit* Memo1;
    std::string Result;

protected:
    void accept() override
    {
        if (!RelationLineFromMemo(TypedText(Memo1->toPlainText(), std::string::npos, true), Result)) {
            QApplication::beep();
            return;
        }
        QDialog::accept();
    }
};
} // namespace

bool EditExpressionMemo(TSchemaContext& Ctx, std::string& Text, QWidget* Parent, const std::string& Caption)
{
    TExpressionMemoDB d(Parent);
    d.setWindowTitle(ShowText(Caption));
    d.Memo1->setPlainText(ShowText(Text));
    if (Ctx.Exec(d) != QDialog::Accepted) return false;
    Text = d.Result;
    return true;
}

// ---------------------------------------------------------------- commands

TSchemaContext SchemaContextOf(TSketchPadWindow& Pad)
{
    TSchemaContext c;
    c.Net = Pad.Network.get();
    c.Settings = &Pad.Settings;
    c.View = &Pad.View;
    c.Boxes = Pad.Main.Boxes;
    c.Pad = &Pad;
    c.Exec = Pad.Main.ExecDialog;
    return c;
}

bool EntityDefinitionCommand(TSketchPadWindow& Pad, TClassKind Kind)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    TEntityDefinitionDB d(ctx, Kind, &Pad);
    d.PrepareShrunk(MaxClasses, 0, MaxClasses, nullptr);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    Pad.Main.DefinitionsChanged(Pad);
    Repaint(Pad);
    Pad.Network->SetAllowClose(false);
    return true;
}

bool SystemDefinitionCommand(TSketchPadWindow& Pad)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    auto copy = CopyEntityClassesWhole(*Pad.Network->SystemClass);
    TClassRecord& rec = (*copy)[1];
    constexpr int Rows = 35;
    TAttributeDefinitionDB d(ctx, rec, Rows, &Pad);
    d.PrepareShrunk(Rows, 0, 2, nullptr);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    // The system's attributes are the named ones from the first on.
    SetAttributeCount(rec, CountAttributes(*copy));
    Pad.Network->SetAllowClose(false);
    ApplySchemaEdit(*Pad.Network, TClassKind::System, std::move(copy));
    Pad.Main.DefinitionsChanged(Pad);
    Repaint(Pad);
    return true;
}

bool SystemAttributesCommand(TSketchPadWindow& Pad)
{
    TNetwork& net = *Pad.Network;
    TElementEdit edit = SystemEdit(net);
    const int count = edit.AttributeCount(net);
    if (count <= 0) return false;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TAttributesDB d(ctx, edit, MessageText(57), &Pad);
    d.PrepareShrunk(count, 0, 5, nullptr);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    net.SetAllowClose(false);
    StoreEditValues(net, edit);
    Repaint(Pad);
    return true;
}

bool NodePolygonsCommand(TSketchPadWindow& Pad)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    const TEntityClass& classes = *Pad.Network->NodeClasses;
    const int count = CountEntityTypes(classes);
    QDialog d(&Pad);
    d.setObjectName("NodePolygonDB");
    d.setWindowTitle("Node Polygons");
    auto* form = new QFormLayout;
    std::vector<QComboBox*> boxes(size_t(MaxClasses) + 1, nullptr);
    for (int c = 1; c <= std::max(count, 3) && c <= MaxClasses; ++c) {
        auto* box = new QComboBox(&d);
        box->setObjectName(QString("ComboBox%1").arg(c));
        for (int s = 0; s < PolygonStyleCount; ++s) {
            QPixmap swatch(16, 12);
            swatch.fill(QColor::fromRgb(ProgramPaletteRgb[size_t(std::clamp(Pad.Settings.Display.PolygonStyles[size_t(s)].FillColor, 0, 25))]));
            box->addItem(QIcon(swatch), QString::number(s));
        }
        box->setCurrentIndex(std::clamp(Pad.Settings.Display.NodePolygonStyles[size_t(c)], 0, PolygonStyleCount - 1));
        box->setEnabled(c <= count);
        auto* label = new QLabel(ShowText(classes[c].Name), &d);
        label->setObjectName(QString("Label%1").arg(c));
        form->addRow(label, box);
        boxes[size_t(c)] = box;
    }
    auto* layout = new QVBoxLayout(&d);
    layout->addLayout(form);
    AddOkCancel(d, layout);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    for (int c = 1; c <= count; ++c) Pad.Settings.Display.NodePolygonStyles[size_t(c)] = boxes[size_t(c)]->currentIndex();
    Pad.View.Saved = 0;
    Pad.InvalidatePad();
    return true;
}

bool OpenEntityCommand(TSketchPadWindow& Pad, bool Links)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    QDialog d(&Pad);
    d.setObjectName("EntityOpenDB");
    d.setWindowTitle(ShowText(MessageText(Links ? 10 : 12)));
    auto* edit = new QLineEdit(&d);
    edit->setObjectName("Edit1");
    edit->setMaxLength(30);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(new QLabel(ShowText(MessageText(11)), &d));
    layout->addWidget(edit);
    AddOkCancel(d, layout);
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    TNetwork& net = *Pad.Network;
    const std::string pattern = PrepareNamePattern(TypedText(edit->text(), 30));
    int result = QDialog::Rejected;
    if (Links) {
        TLink* h = FindLinkByName(net, pattern, nullptr);
        if (!h) return false;
        result = ShowLinkDialog(ctx, *h, &Pad.Main.SymbolImages);
    } else {
        TNode* n = FindNodeByName(net, pattern, nullptr);
        if (!n) return false;
        result = ShowNodeDialog(ctx, *n, &Pad.Main.SymbolImages);
    }
    Repaint(Pad);
    return result == QDialog::Accepted;
}

bool NameReplaceCommand(TSketchPadWindow& Pad, bool Links)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    QDialog d(&Pad);
    d.setObjectName("EntityNameReplaceDB");
    d.setWindowTitle(Links ? "Link Name Replace" : "Node Name Replace");
    auto* oldEdit = new QLineEdit(&d);
    oldEdit->setObjectName("OldEdit");
    auto* newEdit = new QLineEdit(&d);
    newEdit->setObjectName("NewEdit");
    for (QLineEdit* e : {oldEdit, newEdit}) e->setMaxLength(30);
    auto* form = new QFormLayout;
    form->addRow("Old text:", oldEdit);
    form->addRow("New text:", newEdit);
    auto* layout = new QVBoxLayout(&d);
    layout->addLayout(form);
    AddOkCancel(d, layout, [&] { return TypedTextsKept({oldEdit, newEdit}, ctx.Boxes); });
    if (ctx.Exec(d) != QDialog::Accepted) return false;
    const std::string from = TypedText(oldEdit->text(), 30);
    if (from.empty()) return false;
    TNetwork& net = *Pad.Network;
    net.SetAllowClose(false);
    const int32_t changed = ReplaceEntityNames(net, from, TypedText(newEdit->text(), 30), Links);
    if (changed > 0) Repaint(Pad);
    return changed > 0;
}

bool InitializeAttributesCommand(TSketchPadWindow& Pad, bool Links)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    TNetwork& net = *Pad.Network;
    int result;
    if (Links) {
        const uint8_t suppress = net.TemplateLinkValues.SuppressLabel;
        result = ShowLinkDialog(ctx, net.TemplateLink, &Pad.Main.SymbolImages);
        net.TemplateLinkValues.SuppressLabel = suppress;
    } else {
        const uint8_t suppress = net.TemplateNode.SuppressLabel;
        result = ShowNodeDialog(ctx, net.TemplateNode, &Pad.Main.SymbolImages);
        net.TemplateNode.SuppressLabel = suppress;
    }
    if (result != QDialog::Accepted) return false;
    net.SetAllowClose(false);
    return true;
}

bool MoveToLayerCommand(TSketchPadWindow& Pad)
{
    TSchemaContext ctx = SchemaContextOf(Pad);
    QDialog d(&Pad);
    d.setObjectName("MoveToLayerDB");
    d.setWindowTitle("Move to Layer");
    auto* list = new QListWidget(&d);
    list->setObjectName("LayerList");
    for (int l = 1; l <= 10; ++l) {
        const std::string& name = Pad.Settings.Layers.LayerNames[size_t(l)];
        list->addItem(QString("%1  ").arg(l) + ShowText(name));
    }
    list->setCurrentRow(0);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(list);
    AddOkCancel(d, layout);
    if (ctx.Exec(d) != QDialog::Accepted || list->currentRow() < 0) return false;
    TSearchFilter filter = PrepareSearch(*Pad.Network, Pad.Settings.Search);
    const int32_t moved = MoveNodesToLayer(*Pad.Network, Pad.View, filter, list->currentRow() + 1);
    Repaint(Pad);
    return moved > 0;
}

// ---------------------------------------------------------------- wiring

void RegisterSchemaPadItems(TZOKMainWindow& Main)
{
    TPadItemTable& t = Main.PadItems;
    t.SetCommand("Nodes2", GateChange, [](TSketchPadWindow& p) { EntityDefinitionCommand(p, TClassKind::Node); });
    t.SetCommand("Links2", GateChange, [](TSketchPadWindow& p) { EntityDefinitionCommand(p, TClassKind::Link); });
    t.SetCommand("System1", GateChange, [](TSketchPadWindow& p) { SystemDefinitionCommand(p); });
    t.SetCommand("SystemAttributesM", GateChange, [](TSketchPadWindow& p) { SystemAttributesCommand(p); });
    t.SetCommand("PolygonNodesM", GateChange, [](TSketchPadWindow& p) { NodePolygonsCommand(p); });
    t.SetCommand("Nodes3", GateChange, [](TSketchPadWindow& p) { OpenEntityCommand(p, false); });
    t.SetCommand("Links3", GateChange, [](TSketchPadWindow& p) { OpenEntityCommand(p, true); });
    t.SetCommand("Nodes5", GateChange, [](TSketchPadWindow& p) { NameReplaceCommand(p, false); });
    t.SetCommand("Links5", GateChange, [](TSketchPadWindow& p) { NameReplaceCommand(p, true); });
    t.SetCommand("Nodes1", GateChange, [](TSketchPadWindow& p) { InitializeAttributesCommand(p, false); });
    t.SetCommand("Links1", GateChange, [](TSketchPadWindow& p) { InitializeAttributesCommand(p, true); });
    t.SetCommand("MovetoLayer1", GateChange, [](TSketchPadWindow& p) { MoveToLayerCommand(p); });
}

void RegisterSchemaItems(TZOKMainWindow& Main)
{
    RegisterSchemaPadItems(Main);
    RegisterCalcSearchPadItems(Main);
    Main.Hooks.OpenElementDialogs = OpenElementDialogs;
}

bool OpenElementDialogs(TSketchPadWindow& Pad, const TPressResult& R)
{
    if (!Pad.Network) return false;
    TSchemaContext ctx = SchemaContextOf(Pad);
    TNetwork& net = *Pad.Network;
    int result = QDialog::Rejected;
    bool shown = false;
    if (R.Has(PadAttributesDialog) && (R.Node || R.Link)) {
        shown = true;
        result = ShowElementAttributes(ctx, R.Node, R.Node ? nullptr : R.Link);
    } else if (R.Has(PadNodeDialog) && R.Node) {
        shown = true;
        result = ShowNodeDialog(ctx, *R.Node, &Pad.Main.SymbolImages);
    } else if (R.Has(PadLinkDialog) && R.Link) {
        shown = true;
        result = ShowLinkDialog(ctx, *R.Link, &Pad.Main.SymbolImages);
    } else if (R.Has(PadLongLatDialog) && R.ShapePoint) {
        shown = true;
        TShapePoint& sp = *R.ShapePoint;
        TPointGeo geo{sp.Longitude, sp.Latitude, sp.Elevation,
                      uint8_t(sp.Link && sp.Link->LinkValues ? sp.Link->LinkValues->ExcludeShapesFromTriangulation : 0)};
        TLongLatDB d(ctx, sp, geo, &Pad);
        result = ctx.Exec(d);
        if (result == QDialog::Accepted) {
            net.SetAllowClose(false);
            sp.Longitude = geo.Longitude;
            sp.Latitude = geo.Latitude;
            sp.Elevation = geo.Elevation;
            if (sp.Link && sp.Link->LinkValues) sp.Link->LinkValues->ExcludeShapesFromTriangulation = geo.Exclude;
        }
    }
    if (!shown) return false;
    if (result == QDialog::Accepted) net.SetAllowClose(false);
    Repaint(Pad);
    return true;
}
