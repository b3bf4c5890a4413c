// The windows over the real network file drivers: open, save, backup, append.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>

#include "../core/file/append_fixture.h"
#include "../core/net_window.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "program_fixture.h"

namespace {
// A network of n nodes in a row, linked one after the other.
void WriteRow(const std::string& path, int n, int x0)
{
    TNetWindow net;
    (*net.NodeClasses)[1].Name = "Stop";
    (*net.LinkClasses)[1].Name = "Street";
    TNode* prev = nullptr;
    for (int i = 0; i < n; ++i) {
        THashEntry* cell = nullptr;
        TNode* node = AddNode(net, x0 + 100 * i, 50, cell, false, 0);
        ASSERT_NE(node, nullptr);
        node->EntityType = 1;
        if (prev) {
            TLink *a = nullptr, *b = nullptr;
            AddLink(net, prev, node, false, 0, a, b)->EntityType = 1;
        }
        prev = node;
    }
    RecomputeExtents(net);
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, sink).Ok);
}
} // namespace

TEST(NetworkFileIO, OpenSaveBackupAndAppendThroughTheWindows)
{
    programtest::TProgram program;
    QTemporaryDir& dir = program.Dir;
    const std::string a = dir.filePath("a.dta").toStdString();
    const std::string b = dir.filePath("b.dta").toStdString();
    const std::string bad = dir.filePath("bad.dta").toStdString();
    WriteRow(a, 4, 0);
    WriteRow(b, 3, 1000);
    {
        QFile f(QString::fromStdString(bad));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a network\r\n");
    }

    QDateTime clock = QDateTime::fromSecsSinceEpoch(1'800'000'000);
    program.Start({.CommandLineFile = a,
                   .Show = false,
                   .Before = [&](TZOKMainWindow& m) { m.Now = [&] { return clock; }; }});
    TZOKMainWindow* main = program.Main.get();
    TMessageSinkRecorder& boxes = program.Boxes;
    ASSERT_EQ(main->PadCount(), 1);
    TSketchPadWindow* pad = main->SketchPads[0];
    EXPECT_EQ(pad->FileName, a);
    EXPECT_EQ(pad->Network->NodeCount, 4);
    EXPECT_EQ(pad->View.MinX, 0);
    EXPECT_EQ(pad->View.MaxX, 300);
    EXPECT_EQ(pad->View.OriginX, 10);
    EXPECT_EQ(pad->View.Saved, 1);

    // A file that is not a network reports and leaves the open window alone.
    EXPECT_TRUE(main->OpenFiles({bad}).empty());
    EXPECT_EQ(main->PadCount(), 1);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Caption, "Network will be closed.");

    // A change of the network marks the window and its view.
    TSketchPadWindow* view = main->NewView();
    pad->Network->SetAllowClose(false);
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 0);

    // The backup writes a.dt~ and leaves both windows modified.
    main->PadActivated(pad);
    clock = clock.addMSecs(AutoSaveInterval + 1);
    main->AutoSaveTimerTimer();
    EXPECT_TRUE(QFile::exists(dir.filePath("a.dt~")));
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 0);
    EXPECT_TRUE(pad->Network->Modified);
    EXPECT_EQ(pad->Network->FileName, a);

    // Append b.dta (keeping the network's own system values): its nodes
    // follow the window's, and both windows take them in.
    program.Chooser.ToOpen = {b};
    ASSERT_TRUE(main->Append(*pad));
    program.Chooser.ToOpen.clear();
    EXPECT_EQ(pad->Network->NodeCount, 7);
    EXPECT_EQ(pad->Network->LinkCount, 5);
    EXPECT_EQ(pad->View.MaxX, 1200);
    EXPECT_EQ(view->Network, pad->Network);

    // Save marks every window of the network saved, and the file holds both rows.
    ASSERT_TRUE(main->SaveM(*pad));
    EXPECT_EQ(pad->View.Saved, 1);
    EXPECT_EQ(view->View.Saved, 1);
    {
        TNetWindow back;
        TMessageSinkRecorder sink;
        ASSERT_EQ(OpenNetworkFile(back, a, true, sink).Status, TOpenStatus::Ok);
        EXPECT_EQ(back.NodeCount, 7);
        EXPECT_EQ(back.LinkCount, 5);
        std::vector<int32_t> xs;
        for (THashEntry* cell : back.NodeHash)
            for (TNetworkPoint* p : cell->Points) xs.push_back(p->X);
        std::sort(xs.begin(), xs.end());
        EXPECT_EQ(xs, (std::vector<int32_t>{0, 100, 200, 300, 1000, 1100, 1200}));
    }

    const QByteArray grab = qgetenv("TARVEX_GRAB_DIR");
    if (!grab.isEmpty()) {
        main->resize(900, 600);
        main->show();
        main->PadActivated(pad);
        main->SetZoomLevel(*pad, 15);
        pad->ModeItems[1]->trigger();
        QCoreApplication::processEvents();
        main->grab().save(QString::fromLocal8Bit(grab) + "/network.png");
    }
}

namespace {
// The first line of a file, without its line end.
std::string FirstLine(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return "(missing)";
    return f.readLine().trimmed().toStdString();
}
} // namespace

// Save As writes the version of the filter chosen in its dialog; the file
// opens again; the next plain Save writes the newest version.
TEST(NetworkFileIO, SaveAsWritesTheChosenFiltersVersionAndSaveTheNewestAgain)
{
    programtest::TProgram program;
    const std::string a = program.Path("a.dta");
    WriteRow(a, 4, 0);
    program.Start({.CommandLineFile = a, .Show = false});
    TZOKMainWindow& main = *program.Main;
    TSketchPadWindow* pad = main.SketchPads[0];
    // Filter by filter: the dialog's entries, then "All Files".
    const char* tags[] = {"ZOK 1.09", "ZOK 1.0",  "ZOK 1.03", "ZOK 1.04", "ZOK 1.05",
                          "ZOK 1.06", "ZOK 1.07", "ZOK 1.08", "ZOK 1.09"};
    for (int filter = 1; filter <= 9; ++filter) {
        const std::string name = program.Path(QString("v%1.net").arg(filter));
        program.Chooser.ToSave = name;
        program.Chooser.SaveFilter = filter;
        ASSERT_TRUE(main.SaveAs(*pad)) << filter;
        EXPECT_EQ(FirstLine(name), tags[filter - 1]) << "filter " << filter;
        EXPECT_EQ(pad->View.Saved, 1);
        const std::vector<TSketchPadWindow*> opened = main.OpenFiles({name});
        ASSERT_EQ(opened.size(), 1u) << filter;
        EXPECT_EQ(opened[0]->Network->NodeCount, 4) << filter;
        EXPECT_EQ(opened[0]->Network->LinkCount, 3) << filter;
        main.DestroyPad(*opened[0]);
    }
    // Saved last in the oldest version; Save writes that file anew in the newest.
    program.Chooser.SaveFilter = 2;
    program.Chooser.ToSave = program.Path("old.dt1");
    ASSERT_TRUE(main.SaveAs(*pad));
    ASSERT_EQ(FirstLine(program.Path("old.dt1")), "ZOK 1.0");
    pad->Network->SetAllowClose(false);
    ASSERT_TRUE(main.SaveM(*pad));
    EXPECT_EQ(FirstLine(program.Path("old.dt1")), "ZOK 1.09");
    EXPECT_EQ(program.Chooser.SaveAsked, 10);
}

// A ':' belongs to a file's name: windows opened from, or saved to, names
// holding times are captioned by their whole names, and the loop lists them so.
TEST(NetworkFileIO, NamesWithColonsCaptionTheirWindowsWhole)
{
    programtest::TProgram program;
    const std::string am = program.Path("AM peak 7:30 to 8:30.dta");
    WriteRow(am, 2, 0);
    program.Start({.Show = false});
    TZOKMainWindow& main = *program.Main;
    const std::vector<TSketchPadWindow*> opened = main.OpenFiles({am});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]->Caption(), "AM peak 7:30 to 8:30.dta");
    program.Chooser.ToSave = program.Path("PM peak 4:30.dta");
    ASSERT_TRUE(main.SaveAs(*opened[0]));
    EXPECT_EQ(opened[0]->Caption(), "PM peak 4:30.dta");
    EXPECT_EQ(main.NewView()->Caption(), "View 1 of PM peak 4:30.dta");
}

namespace {
// The user's answer "Use Appended Network System Attribute Values".
int UseAppendedValues(QDialog& d)
{
    QPushButton* button = d.findChild<QPushButton*>("Button2");
    EXPECT_NE(button, nullptr);
    if (button) button->click();
    return d.result();
}
} // namespace

// File > Append of a network whose classes differ: into a window with classes
// what fits is kept, what does not is reported once, and the saved file holds
// the result; into the start-up window, which defines no classes, every
// element comes as the file read alone has it.
TEST(NetworkFileIO, AppendOfOtherClassesThroughTheMenu)
{
    using namespace appendtest;
    TNetWindow w, a;
    MakeWindowNetwork(w);
    MakeAppendedNetwork(a);
    const std::string windowFile = Saved(w, "menu-window.dta"), appended = Saved(a, "menu-appended.dta");
    const auto alone = programtest::TProgram::Reopen(appended);

    {
        programtest::TProgram program;
        program.Start({.CommandLineFile = windowFile, .Show = false});
        program.Handlers["SystemDispositionDB"] = UseAppendedValues;
        program.Chooser.ToOpen = {appended};
        ASSERT_TRUE(program.Trigger(program.Pad, "AppendM"));
        ASSERT_EQ(program.Boxes.Count(), 1u);
        EXPECT_EQ(program.Boxes.Last().Text, LossesText(true));
        EXPECT_EQ(program.Boxes.Last().Caption, "Open/Append");
        EXPECT_EQ(program.Pad->View.Saved, 0);
        const auto saved = program.SaveAndReopen(*program.Pad, "menu-result.dta");
        ExpectPlaced(*saved, AppendedIntoWindow(*alone));
        EXPECT_EQ(UnpackShortText(saved->SystemValues[2]), "ZZ      ");
        EXPECT_EQ(saved->SystemValues[1].Real(), 2.5);
        EXPECT_EQ(saved->Title, "Window");
    }
    {
        programtest::TProgram program;
        program.Start({.Show = false});
        TSketchPadWindow* pad = program.Pad;
        for (QMenu* m : pad->Menus) emit m->aboutToShow();
        EXPECT_FALSE(pad->Action("SystemAttributesM")->isEnabled());
        EXPECT_FALSE(pad->Action("NodeSearchM")->isEnabled());
        program.Handlers["SystemDispositionDB"] = UseAppendedValues;
        program.Chooser.ToOpen = {appended};
        ASSERT_TRUE(program.Trigger(pad, "AppendM"));
        EXPECT_EQ(program.Boxes.Count(), 0u) << program.Boxes.Last().Text;
        EXPECT_EQ(NodesByPlace(*pad->Network), NodesByPlace(*alone));
        EXPECT_EQ(LinksByPlace(*pad->Network), LinksByPlace(*alone));
        for (QMenu* m : pad->Menus) emit m->aboutToShow();
        EXPECT_TRUE(pad->Action("SystemAttributesM")->isEnabled());
        EXPECT_TRUE(pad->Action("NodeSearchM")->isEnabled());
        const auto saved = program.SaveAndReopen(*pad, "menu-new.dta");
        EXPECT_EQ(NodesByPlace(*saved), NodesByPlace(*alone));
        for (int i = 1; i <= 5; ++i) EXPECT_EQ(saved->SystemValues[i], alone->SystemValues[i]) << i;
        EXPECT_EQ(saved->SystemStrings, alone->SystemStrings);
    }
}

namespace {

// A plan with 1,204 shape points, 12 polygons, 3 notes and an 'S' attribute
// of nodes and one of links, which version 1 cannot keep.
void WritePlan(const std::string& path)
{
    TNetWindow net;
    // Class 1 with one 'S' attribute.
    auto stringClass = [](TEntityClass& classes, const char* name, const char* attribute) {
        TClassRecord& rec = classes[1];
        rec.Name = name;
        rec.AttributeCount = 1;
        rec.Attributes[1] = std::make_unique<TAttrib>();
        rec.Attributes[1]->Name = attribute;
        rec.Attributes[1]->Kind = 'S';
        NumberStringAttributes(classes);
    };
    stringClass(*net.NodeClasses, "Zone", "District");
    stringClass(*net.LinkClasses, "Road", "Street");
    auto node = [&](int32_t x, int32_t y) {
        THashEntry* cell = nullptr;
        TNode* n = AddNode(net, x, y, cell, false, 1);
        n->EntityType = 1;
        n->Strings.assign(1, "North");
        return n;
    };
    TNode* corners[3] = {node(0, 0), node(50000, 0), node(0, 50000)};
    TLink *ha = nullptr, *hb = nullptr;
    TLinkValues* link = AddLink(net, corners[0], corners[1], false, 1, ha, hb);
    link->EntityType = 1;
    link->Strings.assign(1, "Main");
    for (int i = 0; i < 1204; ++i) AddShapePoint(net, 40 * (i + 1), 10, i, ha);
    for (int k = 0; k < 12; ++k) {
        TNode* owner = node(1000 + 1000 * k, 20000);
        for (TNode* v : corners) {
            owner->OwnPolygonRef().Insert(v);
            net.PolygonsRef(v).Insert(owner);
        }
        UpdateNodePolygonBox(net, owner);
        if (k < 3) owner->SetNote("to check");
    }
    RecomputeExtents(net);
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, sink).Ok);
}

std::string Bytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}
} // namespace

// Save As in a version that cannot keep what the network holds says what it
// drops first: Cancel writes nothing and the window stays modified; OK
// writes the older file. What that version keeps, it writes without asking.
TEST(NetworkFileIO, SaveAsInAnOlderVersionSaysWhatItDropsFirst)
{
    programtest::TProgram program;
    const std::string plan = program.Path("plan.dta");
    WritePlan(plan);
    program.Start({.CommandLineFile = plan, .Show = false});
    TZOKMainWindow& main = *program.Main;
    TSketchPadWindow* pad = main.SketchPads[0];
    ASSERT_EQ(pad->Network->NodeCount, 15);
    pad->Network->SetAllowClose(false);
    const std::string before = Bytes(plan);

    program.Chooser.ToSave = plan;
    program.Chooser.SaveFilter = 2; // "Versions 1-2 Network (*.dt1)"
    program.Boxes.Answers = {IDCANCEL};
    ASSERT_TRUE(program.Trigger(pad, "SaveAsM"));
    ASSERT_EQ(program.Boxes.Count(), 1u);
    EXPECT_EQ(program.Boxes.Last().Text, "Version 1 does not keep: 1,204 shape points, 12 polygons, 3 notes, the "
                                         "values of 2 'S' attributes.");
    EXPECT_EQ(program.Boxes.Last().Caption, "Save As");
    EXPECT_EQ(program.Boxes.Last().Flags, MB_EXCLAMATION_OKCANCEL);
    EXPECT_TRUE(Bytes(plan) == before);
    EXPECT_EQ(pad->View.Saved, 0);
    // So Close still asks.
    program.Boxes.Clear();
    program.Boxes.Answers = {IDCANCEL};
    EXPECT_FALSE(main.FormCloseQuery(*pad));
    ASSERT_EQ(program.Boxes.Count(), 1u);
    EXPECT_EQ(program.Boxes.Last().Caption, "Do you want to save?");

    program.Boxes.Clear();
    program.Boxes.Answers = {IDOK};
    ASSERT_TRUE(program.Trigger(pad, "SaveAsM"));
    EXPECT_EQ(program.Boxes.Count(), 1u);
    EXPECT_EQ(FirstLine(plan), "ZOK 1.0");
    EXPECT_EQ(pad->View.Saved, 1);

    // A new window's network with a node and a link: nothing any version drops.
    TSketchPadWindow* fresh = main.NewSchema();
    ASSERT_NE(fresh, nullptr);
    THashEntry* cell = nullptr;
    TNode* a = AddNode(*fresh->Network, 10, 20, cell, false, 0);
    TNode* b = AddNode(*fresh->Network, 300, 20, cell, false, 0);
    TLink *ha = nullptr, *hb = nullptr;
    AddLink(*fresh->Network, a, b, false, 0, ha, hb);
    fresh->Network->SetAllowClose(false);
    program.Boxes.Clear();
    for (int filter = 2; filter <= 8; ++filter) {
        program.Chooser.ToSave = program.Path(QString("fresh%1.net").arg(filter));
        program.Chooser.SaveFilter = filter;
        ASSERT_TRUE(program.Trigger(fresh, "SaveAsM"));
        EXPECT_EQ(program.Boxes.Count(), 0u) << filter << ": " << program.Boxes.Last().Text;
        EXPECT_EQ(FirstLine(program.Chooser.ToSave), NetworkFileTag(WriteVersionOfFilter(filter)));
    }
}
