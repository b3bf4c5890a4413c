// The schema and element dialogs over a real network, driven offscreen: each
// nested dialog is handled by the test's runner in place of exec.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "../core/edit/test_edit_support.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "schema/DefinitionDialogs.h"
#include "schema/ElementDialogs.h"
#include "schema/SchemaCommands.h"
#include "schema/ValueDialogs.h"
#include "shell/RealEdit.h"

using namespace edittest;

namespace {

// A context whose dialogs are answered by handlers keyed by object name.
struct TRunner {
    TNetwork Net;
    TMessageSinkRecorder Boxes;
    TSchemaContext Ctx;
    std::map<std::string, std::function<int(QDialog&)>> Handlers;
    std::vector<std::string> Shown;
    TRunner()
    {
        Ctx.Net = &Net;
        Ctx.Boxes = &Boxes;
        Ctx.Exec = [this](QDialog& d) {
            const std::string name = d.objectName().toStdString();
            Shown.push_back(name);
            auto it = Handlers.find(name);
            return it == Handlers.end() ? int(QDialog::Rejected) : it->second(d);
        };
    }
    template <class D>
    static D& As(QDialog& d) { return static_cast<D&>(d); }
};

int Click(QDialog& d, const char* button)
{
    d.findChild<QPushButton*>(button)->click();
    return d.result();
}

} // namespace

TEST(SchemaDialogs, EntityDefinitionEditsACopyAndCommitsOnlyOnOk)
{
    TRunner r;
    TClassRecord& zone = (*r.Net.NodeClasses)[1];
    zone.Name = "Zone";
    SetAttributeCount(zone, 5);
    NumberStringAttributes(*r.Net.NodeClasses);
    TNode* n = Node(r.Net, 0, 0);
    n->EntityType = 1;
    ResizeValues(*n, 5);

    // Cancel after changes in both dialogs: nothing happened.
    r.Handlers["AttributeDefinitionDB"] = [](QDialog& d) {
        auto& a = TRunner::As<TAttributeDefinitionDB>(d);
        a.FormatBoxes[2]->setCurrentIndex(1); // Category
        a.SpinEdits[2]->setValue(12);
        EXPECT_EQ(a.SpinEdits[2]->value(), 8); // at most 8 code positions
        a.NameEdits[2]->setText("Kind");
        return Click(d, "OKBtn");
    };
    {
        TEntityDefinitionDB d(r.Ctx, TClassKind::Node);
        d.SpinEdits[1]->setValue(3);
        d.FocusedRow = 1;
        d.AttributesClick();
        d.NameEdits[1]->setText("Changed");
        Click(d, "CancelBtn");
    }
    EXPECT_EQ(zone.Name, "Zone");
    EXPECT_EQ(zone.Attr(2)->Kind, 'R');
    EXPECT_EQ(SlotCount(*n), 5);

    // OK: the counts, names, aliases and the attribute edit reach the network.
    {
        TEntityDefinitionDB d(r.Ctx, TClassKind::Node);
        d.SpinEdits[1]->setValue(3);
        d.FocusedRow = 1;
        d.AttributesClick();
        d.AliasEdits[1]->setText("z one");
        d.NameEdits[2]->setText("Stop\nLine");
        Click(d, "OKBtn");
    }
    const TClassRecord& now = (*r.Net.NodeClasses)[1];
    EXPECT_EQ(now.AttributeCount, 3);
    EXPECT_EQ(now.Alias, "zone");
    EXPECT_EQ(now.Attr(2)->Kind, 'C');
    EXPECT_EQ(now.Attr(2)->TopRow, 8);
    EXPECT_EQ(now.Attr(2)->Name, "Kind");
    EXPECT_EQ((*r.Net.NodeClasses)[2].Name, "Stop Line");
    EXPECT_EQ(SlotCount(*n), 3);
    EXPECT_EQ(UnpackShortText(n->Values[1]), std::string(8, ' '));
    EXPECT_TRUE(r.Net.Modified);
}

TEST(SchemaDialogs, AttributeSheetValueWorksheetsAndOk)
{
    TRunner r;
    TClassRecord& c = (*r.Net.LinkClasses)[1];
    c.Name = "Road";
    SetAttributeCount(c, 15);
    c.Attr(1)->Description = "2*(";   // a function text with an error
    c.Attr(2)->Kind = 'C';
    SetWorksheetRows(*c.Attr(2), 1);
    c.Attr(2)->WorkSheet->Rows[1].Codes = "AB";
    c.Attr(2)->WorkSheet->Rows[1].Hint = "arterial&&bus";
    c.Attr(3)->Kind = 'X';
    NumberStringAttributes(*r.Net.LinkClasses);
    TLinkValues* link = Link(r.Net, Node(r.Net, 0, 0), Node(r.Net, 30, 40), 1);
    TElementEdit edit = LinkEdit(r.Net, AHalf(link));
    TAttributesDB d(r.Ctx, edit, "Road");
    d.PrepareShrunk(15, 0, 5, nullptr);
    ASSERT_EQ(d.PageControl->count(), 2);
    EXPECT_EQ(d.PageControl->tabText(1).toStdString(), "Ab-Af");

    // "&Value" on an expression error keeps the edit and says why.
    d.Edits[1]->setText("7");
    d.Select(1);
    d.ValueClick();
    EXPECT_EQ(d.Edits[1]->text().toStdString(), "7");
    ASSERT_EQ(r.Boxes.Count(), 1u);
    EXPECT_EQ(r.Boxes.Last().Caption, "Expression Error");

    // Typing codes shows their hints; the worksheet of a date opens.
    d.Edits[2]->setText("B");
    EXPECT_EQ(d.HintLabel->text().toStdString(), "bus");
    d.Select(3);
    EXPECT_TRUE(d.WorksheetBtn->isEnabled());
    r.Handlers["DateWorkSheetDB"] = [](QDialog& w) {
        auto& ds = TRunner::As<TDateWorkSheetDB>(w);
        EXPECT_FALSE(ds.Fields[3]->isEnabled()); // a date has no hour
        ds.Fields[0]->setText("2101");
        ds.Fields[1]->setText("2");
        ds.Fields[2]->setText("29");
        Click(w, "OKBtn"); // refused: stays open
        EXPECT_TRUE(IsMarkedBad(ds.Fields[2]));
        ds.Fields[0]->setText("2100");
        return Click(w, "OKBtn");
    };
    d.WorksheetClick();
    EXPECT_EQ(d.Edits[3]->text().toStdString(), "2/29/2100");
    EXPECT_EQ(r.Boxes.Last().Text, "Error in a variable.");
    EXPECT_EQ(r.Boxes.Last().Caption, "Date/Time Worksheet");
    d.Select(4);
    EXPECT_FALSE(d.WorksheetBtn->isEnabled()); // a real without worksheet rows

    // A date that does not exist is refused like any bad value: OK stays
    // open with the edit red, the worksheet does not open, nothing is stored.
    const TValueSlot stored = edit.Values[3];
    for (const char* bad : {"2/30/2004", "13/45/2000"}) {
        d.Edits[3]->setText(bad);
        r.Boxes.Clear();
        Click(d, "OKBtn");
        EXPECT_EQ(d.result(), 0) << bad;
        EXPECT_TRUE(IsMarkedBad(d.Edits[3])) << bad;
        ASSERT_EQ(r.Boxes.Count(), 1u) << bad;
        EXPECT_EQ(r.Boxes.Last().Text, "Error in date/time attribute.");
        r.Shown.clear();
        d.Select(3);
        d.WorksheetClick();
        EXPECT_TRUE(r.Shown.empty()) << bad;
        EXPECT_EQ(edit.Values[3], stored) << bad;
    }
    d.Edits[3]->setText("2/29/2100");

    // OK with a bad code stays open with the edit red; nothing stored.
    d.Edits[2]->setText("Q");
    d.Edits[4]->setText("2*3");
    r.Boxes.Clear();
    Click(d, "OKBtn");
    EXPECT_EQ(d.result(), 0);
    EXPECT_TRUE(IsMarkedBad(d.Edits[2]));
    ASSERT_EQ(r.Boxes.Count(), 1u);
    EXPECT_EQ(r.Boxes.Last().Caption, " Attributes");
    EXPECT_EQ(edit.Values[4].Real(), 0);
    d.Edits[2]->setText("A");
    Click(d, "OKBtn");
    EXPECT_EQ(d.result(), int(QDialog::Accepted));
    EXPECT_EQ(edit.Values[4].Real(), 6);
    EXPECT_FALSE(IsMarkedBad(d.Edits[2]));
}

// The texts of the schema dialogs keep every byte of the files' code page:
// 0xFF (U+00FF) and the letters of 0x80..0x9F among them.
TEST(SchemaDialogs, DialogTextsKeepEveryByte)
{
    for (int b = 0; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue; // no character in the code page
        if (b == '\r' || b == '\n') continue; // an edit's line breaks become blanks
        const std::string byte(1, char(b));
        EXPECT_EQ(TypedText(ShowText(byte)), byte) << b;
    }
    EXPECT_EQ(ShowText("\xFF").at(0).unicode(), 0x00FF);
    EXPECT_EQ(TypedText(QString(QChar(0x00FF))), "\xFF");
    EXPECT_EQ(ShowText("\x80").at(0).unicode(), 0x20AC);
    EXPECT_EQ(TypedText(QString::fromUtf8("\u0178\u00ff")), "\x9F\xFF");
}

TEST(SchemaDialogs, NodeDialogWritesBackOnOkOnly)
{
    TRunner r;
    TWindowSettings settings;
    r.Ctx.Settings = &settings;
    TClassRecord& c = (*r.Net.NodeClasses)[1];
    c.Name = "Zone";
    SetAttributeCount(c, 2);
    (*r.Net.NodeClasses)[2].Name = "Bare";
    TNode* n = Node(r.Net, 10, 20);
    n->EntityType = 1;
    n->Name = "Alpha";
    n->SetNote("one&&two&&");
    ResizeValues(*n, 2);
    n->Values[0].SetReal(5);

    r.Handlers["NodeEntityDB"] = [](QDialog& w) {
        auto& e = TRunner::As<TEntityDB>(w);
        EXPECT_EQ(e.NoteMemo->toPlainText().toStdString(), "one\ntwo");
        EXPECT_TRUE(e.AttributesBtn->isEnabled());
        e.TypeCB->setCurrentIndex(2); // a class without attributes
        EXPECT_FALSE(e.AttributesBtn->isEnabled());
        e.TypeCB->setCurrentIndex(1);
        e.LayerCB->setCurrentIndex(4);
        e.NameEdit->setText("Beta");
        e.NameEdit->setModified(true);
        e.NoteMemo->setPlainText("first");
        return Click(w, "CancelBtn");
    };
    EXPECT_EQ(ShowNodeDialog(r.Ctx, *n), int(QDialog::Rejected));
    EXPECT_EQ(n->Name, "Alpha");
    EXPECT_EQ(n->Layer, 1);

    r.Handlers["NodeEntityDB"] = [&r](QDialog& w) {
        auto& e = TRunner::As<TEntityDB>(w);
        e.LayerCB->setCurrentIndex(4);
        e.NameEdit->setText("Beta");
        e.NameEdit->setModified(true);
        e.NoteMemo->setPlainText("first\nsecond");
        r.Handlers["AttributesDB"] = [](QDialog& a) {
            auto& s = TRunner::As<TAttributesDB>(a);
            s.Edits[2]->setText("A1 + 1"); // the values of the element so far
            return Click(a, "OKBtn");
        };
        e.AttributesClick();
        r.Handlers["EntityFormatDB"] = [](QDialog& f) {
            auto& ef = TRunner::As<TEntityFormatDB>(f);
            ef.SuppressCB->setChecked(true);
            ef.FirstCB->setCurrentIndex(ef.FirstCB->findData(101));
            return Click(f, "OKBtn");
        };
        e.FormatClick();
        return Click(w, "OKBtn");
    };
    EXPECT_EQ(ShowNodeDialog(r.Ctx, *n), int(QDialog::Accepted));
    EXPECT_EQ(n->Name, "Beta");
    EXPECT_EQ(n->Layer, 5);
    EXPECT_EQ(n->Note(), "first&&second&&");
    EXPECT_EQ(n->Values[1].Real(), 6);
    EXPECT_EQ(n->SuppressLabel, 1);
    EXPECT_EQ(n->Label1, 101);
    EXPECT_TRUE(r.Net.Modified);
}

// A name, note or text value with letters the network file cannot keep (it
// keeps Windows-1252) is not changed to '?': OK marks the field, one box
// names the characters, and the dialog stays open until the text is mended.
TEST(SchemaDialogs, TextTheFileCannotKeepIsMarkedNotChanged)
{
    TRunner r;
    TWindowSettings settings;
    r.Ctx.Settings = &settings;
    TClassRecord& c = (*r.Net.NodeClasses)[1];
    c.Name = "Zone";
    SetAttributeCount(c, 1);
    c.Attr(1)->Kind = 'S';
    NumberStringAttributes(*r.Net.NodeClasses);
    TNode* n = Node(r.Net, 10, 20);
    n->EntityType = 1;
    ResizeValues(*n, 1);
    TEntityDB node(r.Ctx, n, nullptr);
    TElementEdit edit = NodeEdit(r.Net, n);
    TAttributesDB values(r.Ctx, edit, "Zone");
    values.PrepareShrunk(1, 0, 5, nullptr);
    TEntityDefinitionDB classes(r.Ctx, TClassKind::Node);
    const std::tuple<QDialog*, QWidget*, const char*, const char*, const char*> cases[] = {
        {&node, node.NameEdit, "\u03A9mega Street", " U+03A9.", "Omega Street"},
        {&node, node.NoteMemo, "\u0423\u043B. \u0423\u043B. \u4E2D\U0001F600", " U+0423, U+043B, U+4E2D, U+1F600.", "ul."},
        {&values, values.Edits[1], "\u039A\u03AD\u03BD\u03C4\u03C1\u03BF", " U+039A, U+03AD, U+03BD, U+03C4, U+03C1, U+03BF.",
         "Kentro"},
        {&classes, classes.NameEdits[1], "Zone \u00E9\u20AC\u4E2D", " U+4E2D.", "Zone \u00E9\u20AC"},
    };
    for (const auto& [dialog, field, typed, named, mended] : cases) {
        auto type = [field](const char* text) {
            if (auto* e = qobject_cast<QLineEdit*>(field)) {
                e->setText(QString::fromUtf8(text));
                e->setModified(true);
            }
            if (auto* m = qobject_cast<QPlainTextEdit*>(field)) m->setPlainText(QString::fromUtf8(text));
        };
        r.Boxes.Calls.clear();
        type(typed);
        EXPECT_NE(Click(*dialog, "OKBtn"), int(QDialog::Accepted)) << typed;
        EXPECT_TRUE(IsMarkedBad(field)) << typed;
        ASSERT_EQ(r.Boxes.Count(), 1u) << typed;
        EXPECT_EQ(r.Boxes.Last().Text, MessageText(1001) + named);
        type(mended);
        EXPECT_EQ(Click(*dialog, "OKBtn"), int(QDialog::Accepted)) << mended;
        EXPECT_FALSE(IsMarkedBad(field)) << mended;
        dialog->setResult(QDialog::Rejected);
    }
    EXPECT_EQ(n->Name, "Omega Street");
    EXPECT_EQ(edit.Strings[0].view(), "Kentro");
    EXPECT_EQ((*r.Net.NodeClasses)[1].Name, "Zone \xE9\x80");
}

TEST(SchemaDialogs, LongLatPropertiesAndPickers)
{
    TRunner r;
    TWindowSettings settings;
    r.Ctx.Settings = &settings;
    TNode* a = Node(r.Net, 0, 0);
    a->Name = "A";
    TLinkValues* link = Link(r.Net, a, Node(r.Net, 0, 100));
    TShapePoint* sp = Shape(r.Net, link, 0, 50);

    TPointGeo geo;
    TLongLatDB ll(r.Ctx, *sp, geo);
    ll.LongitudeEdit->setText("181");
    Click(ll, "OKBtn");
    EXPECT_EQ(r.Boxes.Last().Text, "Error in longitude or latitude.");
    ll.LongitudeEdit->setText("-93.5");
    ll.LatitudeEdit->setText("45");
    ll.ElevationEdit->setText("nan");
    Click(ll, "OKBtn");
    EXPECT_EQ(r.Boxes.Last().Text, "Error in elevation");
    ll.ElevationEdit->setText("12.5");
    Click(ll, "OKBtn");
    EXPECT_EQ(ll.result(), int(QDialog::Accepted));
    EXPECT_EQ(geo.Longitude, -935000000);
    EXPECT_EQ(geo.Elevation, 125000);
    EXPECT_EQ(sp->Longitude, 0); // the caller writes the point
    ll.ComputeFromXY();          // no long/lat settings
    EXPECT_EQ(r.Boxes.Last().Text, "Longitude and latitude not reset.");

    TPropertiesDB p(r.Ctx, a, nullptr);
    EXPECT_EQ(p.Lines()[0], "Current Internal Serial Number = 1");
    p.NestednessClick();
    EXPECT_FALSE(p.NestednessBtn->isEnabled());
    EXPECT_EQ(p.Lines().back(), "Polygons Containing this Node:");

    r.Handlers["SelectPropertiesDB"] = [](QDialog& d) { return Click(d, "OKBtn"); };
    EXPECT_EQ(SelectProperty(r.Ctx, true), 'e');
    EXPECT_EQ(r.Shown.back(), "SelectPropertiesDB");
    r.Handlers.clear();
    EXPECT_EQ(SelectProperty(r.Ctx, false, true), ' ');

    // A real-number expression with an error gives the old value and the marked text.
    TElementEdit none = SystemEdit(r.Net);
    r.Handlers["RealEditEB"] = [](QDialog& d) {
        TRunner::As<TRealEditEB>(d).Edit1->setText("2+*3");
        return Click(d, "OKBtn");
    };
    EXPECT_EQ(EditRealExpression(r.Ctx, "Scale", none, 4), 4);
    EXPECT_EQ(r.Boxes.Last().Caption, "Expression Error");
    EXPECT_EQ(RealExpressionRecallText(), "2+*3");

    // The bitmap viewer shows an empty 10 by 10 image for a missing number.
    TViewBitmapsDB v(nullptr, false, 250);
    EXPECT_EQ(v.Image1->pixmap().size(), QSize(10, 10));
}

TEST(SchemaDialogs, NameBoxesShowATypicalNameWhole)
{
    TRunner r;
    TClassRecord& arterial = (*r.Net.NodeClasses)[1];
    SetAttributeCount(arterial, 12);
    NumberStringAttributes(*r.Net.NodeClasses);
    // A name of 22 characters, capitals and all, is seen without scrolling.
    const QString name = "Arterial Capacity Hour";
    auto expectWhole = [&](QLineEdit* e, const char* what) {
        e->setText(name);
        EXPECT_GE(e->width(), e->fontMetrics().horizontalAdvance(name) + 12) << what;
    };
    // Made with a parent, as the program makes them.
    QWidget frame;
    {
        TEntityDefinitionDB d(r.Ctx, TClassKind::Node, &frame);
        d.show();
        expectWhole(d.NameEdits[1], "entity name");
        expectWhole(d.NameEdits[10], "entity name 10");
    }
    {
        TAttributeDefinitionDB d(r.Ctx, arterial, 12, &frame);
        d.PrepareShrunk(12, 0, 10, nullptr);
        d.show();
        expectWhole(d.NameEdits[1], "attribute name");
        expectWhole(d.NameEdits[11], "attribute name on the second tab");
    }
}

// An 'S' value: the sheet's edit and the String Edit box take at most the 30
// bytes a network file keeps, so what they show is what a save keeps.
TEST(SchemaDialogs, StringValueEditsTakeWhatTheFileKeeps)
{
    TRunner r;
    TClassRecord& c = (*r.Net.LinkClasses)[1];
    c.Name = "Road";
    SetAttributeCount(c, 2);
    c.Attr(2)->Kind = 'S';
    NumberStringAttributes(*r.Net.LinkClasses);
    TLinkValues* link = Link(r.Net, Node(r.Net, 0, 0), Node(r.Net, 30, 40), 1);
    TElementEdit edit = LinkEdit(r.Net, AHalf(link));
    TAttributesDB d(r.Ctx, edit, "Road");
    const QString longer = "Martin Luther King Jr Drive South Side";
    const QString held = longer.left(30);
    d.Edits[2]->setText(longer);
    EXPECT_EQ(d.Edits[2]->text(), held);
    d.Edits[1]->setText("1+2+3+4+5+6+7+8+9+10+11+12+13+14"); // a number's expression is not cut
    EXPECT_EQ(d.Edits[1]->text().size(), 32);

    r.Handlers["StringEditDB"] = [&](QDialog& box) {
        auto* e = box.findChild<QLineEdit*>("Edit1");
        EXPECT_EQ(e->text(), held);
        e->setText("Dr " + longer);
        EXPECT_EQ(e->text(), ("Dr " + longer).left(30));
        return Click(box, "OKBtn");
    };
    d.Select(2);
    d.ValueClick();
    EXPECT_EQ(d.Edits[2]->text(), ("Dr " + longer).left(30));
    Click(d, "OKBtn");
    ASSERT_EQ(d.result(), int(QDialog::Accepted));
    EXPECT_EQ(edit.Strings[0], ("Dr " + longer).left(30).toStdString());
}
