// The "Overlay Area" dialog: its first state, areas over shown and hidden
// layers and in other units, the scan's hold on the dialog and the network,
// the units factor that marks only its own window modified, and help.
#include "tools/OverlayAreaDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/model/Messages.h"
#include "core/model/WindowSettings.h"
#include "../shell/program_fixture.h"
#include "../core/analysis/analysis_networks.h"

using namespace analysistest;

namespace {

// A 10 x 10 square on layer 1 and one moved by (5, 5) on layer 2: 100 square
// units alone, 25 in common.
void Squares(TNetwork& net, TWindowSettings& settings)
{
    Define((*net.NodeClasses)[1], "Zone", "");
    Polygon(net, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 1, "a", 1);
    Polygon(net, {{5, 5}, {15, 5}, {15, 15}, {5, 15}}, 1, "b", 2);
    for (int l = 1; l <= 10; ++l) settings.Layers.LayerStates[size_t(l)] = l <= 2 ? 1 : 0;
}

std::string AreaText(const char* number) { return std::string("Area = ") + number + " Square Units"; }

struct OverlayDialog : ::testing::Test {
    TNetwork Net;
    TWindowSettings Settings;
    TViewRecord View;
    std::vector<bool> Held;
    std::unique_ptr<TOverlayAreaDB> D;

    void SetUp() override
    {
        Squares(Net, Settings);
        View.Settings = &Settings;
        D = std::make_unique<TOverlayAreaDB>(Net, Settings, View);
        D->HoldNetwork = [this](bool on) { Held.push_back(on); };
    }
    std::string Status() const { return D->StatusEdit->text().toStdString(); }
    std::string Go(const char* units)
    {
        D->UnitsEdit->setText(units);
        D->GoClick();
        return Status();
    }
};

} // namespace

TEST_F(OverlayDialog, ShowsItsStateAndMeasuresTheVisibleLayersInTheGivenUnits)
{
    Settings.UnitsFactor = 2.5;
    D = std::make_unique<TOverlayAreaDB>(Net, Settings, View);
    D->show();
    EXPECT_EQ(Status(), "Inactive");
    EXPECT_EQ(D->UnitsEdit->text(), "2.5");
    EXPECT_EQ(D->focusWidget(), D->GoButton);

    EXPECT_EQ(Go("1"), AreaText("25"));
    EXPECT_EQ(Settings.UnitsFactor, 1.0);
    EXPECT_EQ(View.Saved, 0) << "a changed factor marks the window";
    for (int hidden : {0, 15}) { // layer 2 hidden, or shown only nearer than the window's zoom
        Settings.Layers.LayerStates[2] = hidden;
        EXPECT_EQ(Go("1"), AreaText("100")) << hidden;
    }
    Settings.Layers.LayerStates[2] = 13;
    EXPECT_EQ(Go("2"), AreaText("6.25"));
    View.Saved = 1;
    EXPECT_EQ(Go("2"), AreaText("6.25"));
    EXPECT_EQ(View.Saved, 1) << "the same factor again changes nothing";
    for (const char* bad : {"", "abc", "0", "-3"}) {
        EXPECT_EQ(Go(bad), AreaText("25")) << bad;
        EXPECT_EQ(D->UnitsEdit->text(), "1.0") << bad;
    }
}

TEST_F(OverlayDialog, WhileTheScanRunsNothingClosesItAndHelpShowsItsTopic)
{
    D->show();
    struct {
        std::string Status;
        bool GoEnabled = true, CloseEnabled = true, Visible = false;
        std::vector<bool> Held;
    } during;
    QTimer::singleShot(0, D.get(), [&] {
        during.Status = Status();
        during.GoEnabled = D->GoButton->isEnabled();
        during.CloseEnabled = D->CloseButton->isEnabled();
        during.Held = Held;
        D->close();
        D->reject();
        during.Visible = D->isVisible();
    });
    Go("1");
    EXPECT_EQ(during.Status, "Scanning, x = 0");
    EXPECT_FALSE(during.GoEnabled);
    EXPECT_FALSE(during.CloseEnabled);
    EXPECT_EQ(during.Held, std::vector<bool>{true});
    EXPECT_TRUE(during.Visible);
    EXPECT_EQ(Held, (std::vector<bool>{true, false}));
    EXPECT_TRUE(D->GoButton->isEnabled());
    EXPECT_TRUE(D->CloseButton->isEnabled());
    EXPECT_TRUE(D->isVisible());
    EXPECT_EQ(Status(), AreaText("25"));
    std::vector<int> topics;
    D->ShowHelp = [&](int topic) { topics.push_back(topic); };
    D->HelpButton->click();
    QApplication::setActiveWindow(D.get());
    QTest::keyClick(D->UnitsEdit, Qt::Key_F1);
    EXPECT_EQ(topics, (std::vector<int>{1400, 1400}));
    D->CloseButton->click();
    EXPECT_FALSE(D->isVisible());
}

TEST(OverlayMenu, ItemMeasuresItsWindowHoldsTheNetworkAndMarksOnlyThatWindow)
{
    programtest::TProgram program;
    program.Start();
    TZOKMainWindow& main = *program.Main;
    TSketchPadWindow* pad = main.CurrentPad;
    Squares(*pad->Network, pad->Settings);
    pad->View.Saved = 1;
    TSketchPadWindow* view = main.NewView();
    ASSERT_NE(view, nullptr);
    view->View.Saved = 1;
    main.PadActivated(pad);

    QAction* item = pad->Action("OverlayArea1");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(item->text(), "&Overlay Area...");
    bool closable = true;
    std::string area;
    main.ExecDialog = [&](QDialog& d) {
        auto* overlay = qobject_cast<TOverlayAreaDB*>(&d);
        EXPECT_NE(overlay, nullptr);
        if (!overlay) return 0;
        QTimer::singleShot(0, &d, [&] { closable = main.FormCloseQuery(*pad); });
        overlay->UnitsEdit->setText("0.5");
        overlay->GoClick();
        area = overlay->StatusEdit->text().toStdString();
        return 0;
    };
    item->trigger();
    EXPECT_EQ(area, AreaText("100"));
    EXPECT_FALSE(closable) << "the network stays open while the scan runs";
    EXPECT_EQ(pad->Settings.UnitsFactor, 0.5);
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->Settings.UnitsFactor, 1.0);
    EXPECT_EQ(view->View.Saved, 1) << "the other window of the network keeps its state";
    pad->View.Saved = 1;
    EXPECT_TRUE(main.FormCloseQuery(*pad)) << "and may close after the scan";
}
