// The search dialogs driven offscreen from the window's menu items: the
// node search over a copy of its class table, the attribute search over the
// node search's copy, and the polygon search over the window's criterion.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "../core/edit/test_edit_support.h"
#include "../shell/program_fixture.h"
#include "core/edit/SchemaEdit.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "schema/SearchDialogs.h"

using namespace edittest;

namespace {

class SearchDialogs : public programtest::TProgramTest {
protected:
    TClassRecord* Zone = nullptr;

    void SetUp() override
    {
        Start();
        Zone = &(*Net->NodeClasses)[1];
        Zone->Name = "Zone";
        SetAttributeCount(*Zone, 12);
        SetAttributeKind(*Zone->Attr(2), 'S');
        SetAttributeKind(*Zone->Attr(3), 'C');
        SetWorksheetRows(*Zone->Attr(3), 1);
        Zone->Attr(3)->WorkSheet->Rows[1].Codes = "ABC";
        SetAttributeKind(*Zone->Attr(4), 'I');
        SetAttributeKind(*Zone->Attr(5), 'X');
        NumberStringAttributes(*Net->NodeClasses);
        (*Net->NodeClasses)[2].Name = "Stop"; // no attributes
        (*Net->NodeClasses)[2].SearchClass = 1;
        Main->UpdatePadItems(*Pad);
    }
    static int Click(QDialog& d, const char* button)
    {
        d.findChild<QPushButton*>(button)->click();
        return d.result();
    }
};

} // namespace

TEST_F(SearchDialogs, AttributeEditsReachOnlyTheNodeSearchCopy)
{
    EXPECT_TRUE(Pad->Action("NodeSearchM")->isEnabled());
    EXPECT_FALSE(Pad->Action("LinkSearchM")->isEnabled());
    Zone->Attr(2)->LowText = "old";

    bool cancelNodeSearch = true, cancelAttributes = false;
    Handlers["AttributeSearchDB"] = [&](QDialog& d) {
        auto& a = static_cast<TAttributeSearchDB&>(d);
        EXPECT_EQ(a.PageControl->count(), 2);
        EXPECT_EQ(a.PageControl->tabText(1).toStdString(), "Ab-Ac");
        EXPECT_EQ(a.BottomEdits[2]->text(), "old");
        a.BottomEdits[1]->setText("10");
        a.TopEdits[1]->setText("20 ");
        a.LeaveRow(1);
        a.BottomEdits[2]->setText("gate");
        a.TopEdits[2]->setText("north");
        a.LeaveRow(2);
        a.BottomEdits[5]->setText("1/1/2000"); // only a Bottom: no criterion
        a.LeaveRow(5);
        return Click(d, cancelAttributes ? "CancelBtn" : "OKBtn");
    };
    Handlers["EntitySearchDB"] = [&](QDialog& d) {
        auto& s = static_cast<TEntitySearchDB&>(d);
        EXPECT_EQ(s.windowTitle().toStdString(), "Node Search");
        EXPECT_EQ(s.States[1]->text(), "OR");
        EXPECT_EQ(s.States[2]->text(), "NOT");
        s.Select(2);
        s.AttributesClick(); // a class without attributes has none to search
        s.Select(1);
        s.Button1->click();
        EXPECT_EQ(s.States[1]->text(), "AND");
        s.Button3->click();
        // Nothing reaches the network before the node search's OK.
        EXPECT_EQ(Zone->Attr(1)->Active, 0);
        EXPECT_EQ(Zone->Attr(2)->LowText, "old");
        EXPECT_EQ(Zone->SearchClass, 0);
        return Click(d, cancelNodeSearch ? "Button2" : "OKButton");
    };
    Pad->Action("NodeSearchM")->trigger();
    EXPECT_EQ(Zone->Attr(1)->Active, 0);
    EXPECT_EQ(Zone->Attr(2)->LowText, "old");
    EXPECT_EQ(Zone->Attr(2)->HighText, "");
    EXPECT_FALSE(Net->Modified);

    // The attribute search cancelled, the node search confirmed: only the combination.
    cancelNodeSearch = false;
    cancelAttributes = true;
    Pad->Action("NodeSearchM")->trigger();
    EXPECT_EQ(Zone->SearchClass, 1);
    EXPECT_EQ(Zone->Attr(1)->Active, 0);
    EXPECT_EQ(Zone->Attr(2)->LowText, "old");
    EXPECT_TRUE(Net->Modified);

    cancelAttributes = false;
    Zone->SearchClass = 0;
    Pad->Action("NodeSearchM")->trigger();
    EXPECT_EQ(Zone->SearchClass, 1);
    EXPECT_EQ(Zone->Attr(1)->Active, 1);
    EXPECT_EQ(Zone->Attr(1)->Low, 10);
    EXPECT_EQ(Zone->Attr(1)->High, 20);
    EXPECT_EQ(Zone->Attr(2)->LowText, "gate");
    EXPECT_EQ(Zone->Attr(2)->HighText, "north");
    EXPECT_EQ(Zone->Attr(5)->Active, 0);
}

TEST_F(SearchDialogs, AttributeSetClearAndRefusedOk)
{
    TCriteriaCopy copy = CopySearchCriteria(*Net->NodeClasses);
    TSchemaContext ctx;
    ctx.Net = Net;
    ctx.Boxes = &Boxes;
    ctx.Exec = Main->ExecDialog;
    TAttributeSearchDB d(ctx, *Zone, copy[1]);
    d.PrepareShrunk(12, 0, 5, nullptr);
    // "&Set" acts on C, I and R rows only.
    d.Select(5);
    EXPECT_FALSE(d.SetBtn->isEnabled());
    EXPECT_TRUE(d.ClearBtn->isEnabled());
    d.Select(3);
    EXPECT_TRUE(d.SetBtn->isEnabled());
    int calls = 0;
    Handlers["CatEditDB"] = [&calls](QDialog& c) {
        c.findChild<QLineEdit*>("Edit1")->setText(++calls == 1 ? "A" : "Q"); // Q is no code: '?'
        return Click(c, "OKBtn");
    };
    d.SetClick();
    EXPECT_EQ(d.BottomEdits[3]->text(), "A");
    EXPECT_EQ(d.TopEdits[3]->text(), "?");
    // An integer's bound is rounded, halves to even.
    Handlers["RealEditEB"] = [](QDialog& c) {
        c.findChild<QLineEdit*>("Edit1")->setText("5 / 2");
        return Click(c, "OKBtn");
    };
    d.Select(4);
    d.SetClick();
    EXPECT_EQ(d.BottomEdits[4]->text(), "2");
    EXPECT_EQ(d.TopEdits[4]->text(), "2");

    // A bad Top keeps the dialog open with message 186.
    d.BottomEdits[1]->setText("1");
    d.TopEdits[1]->setText("2 *");
    d.LeaveRow(1);
    Click(d, "OKBtn");
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Error in a real attribute.");
    EXPECT_TRUE(IsMarkedBad(d.TopEdits[1]));
    d.Select(1);
    d.ClearClick();
    EXPECT_EQ(d.TopEdits[1]->text(), "");
    EXPECT_EQ(Click(d, "OKBtn"), QDialog::Accepted);
    EXPECT_EQ(d.Result.Attributes[1], TAttribCriterion{});
    EXPECT_EQ(d.Result.Attributes[3].Active, 1);
    EXPECT_EQ(UnpackShortText(d.Result.Attributes[3].Low), "A       ");
    EXPECT_EQ(d.Result.Attributes[4].High.Real(), 2);
}

TEST_F(SearchDialogs, PolygonSearchStoresTheOwnerOrRefusesIt)
{
    TNode* park = Node(*Net, 50, 50);
    park->Name = "Park";
    TNode* stop = Node(*Net, 500, 50);
    stop->Name = "Stop 1";
    for (auto [x, y] : XY{{0, 0}, {100, 0}, {100, 100}, {0, 100}}) AddVertex(*Net, park, Node(*Net, x, y));
    UpdateNodePolygonBox(*Net, park);
    std::string name = "Pa*";
    Handlers["PolygonSearchDB"] = [&](QDialog& d) {
        auto& p = static_cast<TPolygonSearchDB&>(d);
        p.Edit1->setText(QString::fromStdString(name));
        p.CheckBox1->setChecked(true);
        p.CheckBox3->setChecked(true);
        return Click(d, "OKBtn");
    };
    Pad->View.Saved = 1;
    Pad->Action("PolygonSearchM")->trigger();
    const TPolygonCriterion& c = Pad->Settings.Search.PolygonCriterion;
    EXPECT_EQ(c.Owner, park);
    EXPECT_EQ(c.ApplyToNodes, 1);
    EXPECT_EQ(c.Outside, 1);
    EXPECT_EQ(c.ApplyToLinks, 0);
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(Boxes.Count(), 0u);

    // The dialog shows what is stored; a node without polygon is refused.
    Handlers["PolygonSearchDB"] = [&](QDialog& d) {
        auto& p = static_cast<TPolygonSearchDB&>(d);
        EXPECT_EQ(p.Edit1->text(), "Park");
        EXPECT_TRUE(p.CheckBox3->isChecked());
        p.Edit1->setText("Stop 1");
        return Click(d, "OKBtn");
    };
    Pad->Action("PolygonSearchM")->trigger();
    EXPECT_EQ(c.Owner, nullptr);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Found node hasn't a polygon.");
    EXPECT_EQ(Boxes.Last().Caption, "Polygon Search");
    EXPECT_EQ(Boxes.Last().Flags, MB_EXCLAMATION_OK);
}
