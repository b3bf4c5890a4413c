// Windows of one network over the real file drivers: each keeps, draws and
// saves settings of its own; saving never loses what an edit holds.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTest>

#include "../core/net_window.h"
#include "core/model/NetworkQueries.h"
#include "program_fixture.h"
#include "shell/SmallDialogs.h"

namespace {

class WindowSettings : public programtest::TProgramTest {
protected:
    // Three named nodes in a row, the last on layer 3, joined by two links.
    std::string WriteNetwork()
    {
        TNetWindow net;
        TNode* prev = nullptr;
        for (int i = 0; i < 3; ++i) {
            THashEntry* cell = nullptr;
            TNode* n = AddNode(net, 100 + 200 * i, 100, cell, false, 0);
            n->Name = "N" + std::to_string(i + 1);
            if (i == 2) n->Layer = 3;
            if (prev) {
                TLink *a = nullptr, *b = nullptr;
                AddLink(net, prev, n, false, 0, a, b);
            }
            prev = n;
        }
        RecomputeExtents(net);
        const std::string path = Path("net.dta");
        TMessageSinkRecorder sink;
        EXPECT_TRUE(SaveNetworkFile(net, path, 9, sink).Ok);
        return path;
    }

    static QImage Draw(TSketchPadWindow& w) { return programtest::PaintWindow(w, {800, 300}); }
    static int InkNear(TSketchPadWindow& w, const QImage& image, int32_t x, int32_t y)
    {
        return programtest::InkNear(w, image, x, y, 6);
    }
};

} // namespace

TEST_F(WindowSettings, ViewsKeepDrawAndSaveTheirOwnSettings)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* master = Main->SketchPads.at(0);
    // A change before the view is made is copied into it.
    master->Settings.Labels.NodeLabelCodes[0] = {0, 101, 0};
    master->Settings.Widths.LinkWidths[3] = 7;
    master->Settings.Title = "Master";
    TSketchPadWindow* view = Main->NewView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Settings.Labels.NodeLabelCodes[0], (std::array<int32_t, 3>{0, 101, 0}));
    EXPECT_EQ(view->Settings.Widths.LinkWidths[3], 7);
    EXPECT_EQ(view->View.Settings, &view->Settings);
    EXPECT_EQ(master->View.Settings, &master->Settings);

    // Changes after it stay in the window that made them.
    view->Settings.Layers.LayerStates[3] = 0; // "Never" in the view only
    view->Settings.Labels.NodeLabelCodes[0] = {0, 0, 0};
    view->Settings.Widths.LinkWidths[3] = 2;
    view->Settings.Title = "View";
    EXPECT_EQ(master->Settings.Layers.LayerStates[3], 1);
    EXPECT_EQ(master->Settings.Labels.NodeLabelCodes[0][1], 101);

    // Each draws with its own: the node on layer 3 only in the master.
    const QImage a = Draw(*master), b = Draw(*view);
    EXPECT_GT(InkNear(*master, a, 500, 100), 0);
    EXPECT_EQ(InkNear(*view, b, 500, 100), 0);
    EXPECT_GT(InkNear(*view, b, 300, 100), 0);

    // Each saves its own.
    ASSERT_TRUE(SaveAs(*master, "master.dta"));
    ASSERT_TRUE(SaveAs(*view, "view.dta"));
    const auto masterFile = Reopen(Path("master.dta")), viewFile = Reopen(Path("view.dta"));
    const TNetWindow& fromMaster = *masterFile;
    const TNetWindow& fromView = *viewFile;
    EXPECT_EQ(fromMaster.Layers.LayerStates[3], 1);
    EXPECT_EQ(fromView.Layers.LayerStates[3], 0);
    EXPECT_EQ(fromMaster.Labels.NodeLabelCodes[0][1], 101);
    EXPECT_EQ(fromView.Labels.NodeLabelCodes[0][1], 0);
    EXPECT_EQ(fromMaster.Widths.LinkWidths[3], 7);
    EXPECT_EQ(fromView.Widths.LinkWidths[3], 2);
    EXPECT_EQ(fromMaster.Title, "Master");
    EXPECT_EQ(fromView.Title, "View");
    EXPECT_EQ(fromView.NodeCount, 3);
}

TEST_F(WindowSettings, AFileLayerStateReachesTheWindowThatOpensIt)
{
    TNetWindow net;
    THashEntry* cell = nullptr;
    TNode* n = AddNode(net, 100, 100, cell, false, 0);
    n->Layer = 4;
    net.Layers.LayerStates[4] = 0;
    RecomputeExtents(net);
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, Path("never.dta"), 9, sink).Ok);

    Start({.CommandLineFile = Path("never.dta")});
    TSketchPadWindow* pad = Main->SketchPads.at(0);
    EXPECT_EQ(pad->Settings.Layers.LayerStates[4], 0);
    EXPECT_EQ(InkNear(*pad, Draw(*pad), 100, 100), 0);
    pad->Settings.Layers.LayerStates[4] = 1;
    EXPECT_GT(InkNear(*pad, Draw(*pad), 100, 100), 0);
}

TEST_F(WindowSettings, SavingWhileAnEditHoldsAnElementKeepsTheWholeNetwork)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Main->SketchPads.at(0);
    TNetwork& net = *pad->Network;
    TNode* n2 = FindNodeByName(net, "N2", nullptr);
    ASSERT_NE(n2, nullptr);
    auto click = [&](int32_t x, int32_t y) {
        QTest::mouseClick(pad->viewport(), Qt::LeftButton, {}, QPoint(pad->PixelX(x), pad->PixelY(y)));
    };

    // Node Move holds N2 (mode 13) when Save runs.
    Main->SetButtons(11, *pad, true);
    click(n2->X, n2->Y);
    ASSERT_EQ(pad->View.SketchMode, 13);
    ASSERT_TRUE(Main->SaveM(*pad));
    EXPECT_EQ(pad->View.SketchMode, 11); // as after an Undelete
    auto saved = Reopen(pad->FileName);
    EXPECT_NE(FindNodeByName(*saved, "N2", nullptr), nullptr);
    EXPECT_EQ(saved->NodeCount, 3);
    EXPECT_EQ(saved->LinkCount, 2);

    // Link Split holds a link (mode 15) when Save As runs.
    Main->SetButtons(14, *pad, true); // its two ends
    click(100, 100);
    click(n2->X, n2->Y);
    ASSERT_EQ(pad->View.SketchMode, 15);
    ASSERT_TRUE(SaveAs(*pad, "split.dta"));
    EXPECT_EQ(pad->View.SketchMode, 14);
    auto split = Reopen(Path("split.dta"));
    EXPECT_EQ(split->NodeCount, 3);
    EXPECT_EQ(split->LinkCount, 2);
}

TEST_F(WindowSettings, ViewCaptionsFollowSaveAs)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* master = Main->SketchPads.at(0);
    TSketchPadWindow* v1 = Main->NewView();
    Main->PadActivated(master);
    TSketchPadWindow* v2 = Main->NewView();
    ASSERT_EQ(v2->Caption(), "View 2 of net.dta");
    ASSERT_TRUE(SaveAs(*v1, "renamed.dta"));
    EXPECT_EQ(master->Caption(), "renamed.dta"); // the file part, not the folder
    EXPECT_EQ(v1->Caption(), "View 1 of renamed.dta");
    EXPECT_EQ(v2->Caption(), "View 2 of renamed.dta");
    EXPECT_EQ(v2->FileName, Path("renamed.dta"));
}

TEST(AboutBox, NamesTheProgramAndItsWordSize)
{
    TAboutDialog d;
    EXPECT_EQ(d.windowTitle(), "About Tarvex");
    auto* version = d.findChild<QLabel*>("StaticText1");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().startsWith(QString("Version: %1-bit").arg(sizeof(void*) * 8))) << version->text().toStdString();
}

TEST_F(WindowSettings, ClosingAWindowRenumbersTheUnderlaysOfTheOthers)
{
    const std::string file = WriteNetwork();
    Start({.CommandLineFile = file});
    Main->OpenFiles({file, file, file});
    ASSERT_EQ(Main->PadCount(), 4);
    auto pad = [&](int n) { return Main->SketchPads.at(size_t(n - 1)); };
    pad(1)->Settings.Backgrounds.Underlay = 2;
    pad(3)->Settings.Backgrounds.Underlay = 4;
    pad(4)->Settings.Backgrounds.Underlay = 1;
    TSketchPadWindow* third = pad(3);
    ASSERT_TRUE(pad(2)->SubWindow->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Main->PadCount(), 3);
    EXPECT_EQ(pad(2), third);
    EXPECT_EQ(third->WindowNumber, 2);
    EXPECT_EQ(pad(1)->Settings.Backgrounds.Underlay, 0); // named the closed window
    EXPECT_EQ(third->Settings.Backgrounds.Underlay, 3);  // window 4 is now 3
    EXPECT_EQ(pad(3)->Settings.Backgrounds.Underlay, 1);
}
