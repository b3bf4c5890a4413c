// The "TIGER 2000 Import" dialog: the window's values shown, checked and
// stored, and sets of record files imported through the window's menu item,
// whole or failing on the way, with the network held while they are read.
#include "tools/Tiger2000Dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "shell/RealEdit.h"
#include "../core/shapes/tiger_fixture.h"
#include "../shell/program_fixture.h"

namespace {

bool Red(const QLineEdit* e) { return e->palette().color(QPalette::Text) == QColor(Qt::red); }

// Remembers whether the hourglass showed when each box came.
class TCursorBoxes : public TMessageSinkRecorder {
public:
    std::vector<bool> Hourglass;
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        Hourglass.push_back(QApplication::overrideCursor() != nullptr);
        return TMessageSinkRecorder::MessageBox(text, caption, flags);
    }
};

struct TigerWindow : programtest::TProgramTestOf<TCursorBoxes> {
    std::function<void(TTiger2000DB&)> OnTiger;
    int Result = -1;

    void SetUp() override
    {
        Start();
        Main->ExecDialog = [this](QDialog& d) {
            auto* t = qobject_cast<TTiger2000DB*>(&d);
            EXPECT_NE(t, nullptr);
            if (t && OnTiger) OnTiger(*t);
            return Result = d.result();
        };
    }
    std::string Set(const char* name, bool lower)
    {
        return tigertest::WriteSet(Dir.filePath(name).toStdString(), tigertest::GridCounty(3, 2, 2), lower);
    }
};

} // namespace

TEST(TigerDialog, ShowsChecksAndStoresTheWindowsValues)
{
    TNetwork net;
    TWindowSettings s;
    s.LongLat.PixelsPerDegreeLat = -5000;
    s.LongLat.TranslateX = 122;
    s.LongLat.TranslateY = -37.5;
    s.LongLat.LongLatMethod = 1; // the shapefile import's equidistant
    TMessageSinkRecorder boxes;
    int cleared = 0;
    TTiger2000DB d(net, s);
    d.Boxes = &boxes;
    d.ClearSaved = [&] { ++cleared; };
    EXPECT_EQ(d.windowTitle(), "TIGER 2000 Import");
    EXPECT_EQ(d.YScaleEB->text(), "-5000.");
    EXPECT_EQ(d.YTranslateEB->text(), "-37.5");
    EXPECT_EQ(d.Projection->checkedId(), 0);
    EXPECT_TRUE(d.ImportButton->isEnabled());

    // A Y scale of 0 and a text that is no number turn red; nothing is stored.
    d.YScaleEB->setText("0");
    d.XTranslateEB->setText("12O");
    d.OKClick();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_TRUE(Red(d.YScaleEB));
    EXPECT_TRUE(Red(d.XTranslateEB));
    EXPECT_FALSE(Red(d.YTranslateEB));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Error in transform values.");
    EXPECT_EQ(boxes.Last().Caption, "Tiger 2000");
    EXPECT_EQ(s.LongLat.PixelsPerDegreeLat, -5000);

    // Unchanged values keep the window as it was, code 1 included.
    d.FormShow();
    EXPECT_FALSE(Red(d.YScaleEB));
    d.OKClick();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(s.LongLat.LongLatMethod, 1);
    EXPECT_EQ(cleared, 0);
    // The map projections store codes 2 and 3, and mark the window.
    for (auto [radio, code] : {std::pair{1, 2}, std::pair{2, 3}, std::pair{0, 0}}) {
        d.Projection->button(radio)->setChecked(true);
        d.YScaleEB->setText("-7000");
        d.OKClick();
        EXPECT_EQ(s.LongLat.LongLatMethod, code);
        EXPECT_EQ(s.LongLat.PixelsPerDegreeLat, -7000);
    }
    EXPECT_EQ(cleared, 3);
    EXPECT_EQ(boxes.Count(), 1u);

    std::vector<int> topics;
    d.ShowHelp = [&](int topic) { topics.push_back(topic); };
    d.show();
    d.HelpButton->click();
    QApplication::setActiveWindow(&d);
    QTest::keyClick(d.YScaleEB, Qt::Key_F1);
    EXPECT_EQ(topics, (std::vector<int>{1900, 1900}));
}

TEST_F(TigerWindow, ImportsASetIntoTheWindowAndItsViewsWhileHoldingTheNetwork)
{
    const std::string rt1 = Set("county", true);
    TSketchPadWindow* view = Main->NewView();
    ASSERT_NE(view, nullptr);
    Main->PadActivated(Pad);
    QAction* item = Pad->Action("TIGER20001");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "&TIGER 2000");
    ASSERT_TRUE(item->isEnabled());

    QStringList filters;
    bool closable = true, importEnabled = true;
    int pumps = 0;
    OnTiger = [&](TTiger2000DB& d) {
        d.YScaleEB->setText("-100000");
        d.XTranslateEB->setText("0");
        d.YTranslateEB->setText("0");
        d.RunFileDialog = [&](QFileDialog& f) {
            filters = f.nameFilters();
            f.selectFile(QString::fromStdString(rt1.substr(0, rt1.size() - 1) + "p")); // any file of the set
            return true;
        };
        d.Pump = [&] {
            if (pumps++ == 0) {
                closable = Main->FormCloseQuery(*Pad);
                importEnabled = d.ImportButton->isEnabled();
                d.reject();
            }
        };
        // A click on a value's label imports.
        QTest::mouseClick(d.XTranslateLabel, Qt::LeftButton);
    };
    Pad->View.Saved = 1;
    item->trigger();

    EXPECT_EQ(filters.value(0), "Tiger Files (*.rt? *.RT?)");
    EXPECT_EQ(Result, QDialog::Accepted) << "a whole import closes the dialog";
    EXPECT_GT(pumps, 0);
    EXPECT_FALSE(closable) << "the network stays open while the set is read";
    EXPECT_FALSE(importEnabled);
    EXPECT_TRUE(Boxes.Calls.empty());
    const TNetwork& net = *Pad->Network;
    EXPECT_GT(net.LinkCount, 0);
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 0);
    EXPECT_EQ(Pad->Settings.Layers.LayerNames[1], "Roads");
    EXPECT_EQ(Pad->Settings.LongLat.TranslateX, 122) << "the data's centre";
    for (TSketchPadWindow* p : {Pad, view}) {
        EXPECT_EQ(p->View.MinX, net.MinX);
        EXPECT_EQ(p->View.MaxY, net.MaxY);
    }
    EXPECT_FALSE(Main->Gate.Busy());
}

TEST_F(TigerWindow, AFailureOnTheWayKeepsWhatWasReadAndTheDialogOpen)
{
    const std::string rt1 = Set("county", false);
    std::filesystem::remove(rt1.substr(0, rt1.size() - 1) + "2");
    Pad->View.Saved = 1;
    bool enabledAfter = false;
    OnTiger = [&](TTiger2000DB& d) {
        d.YScaleEB->setText("-100000");
        d.RunFileDialog = [&](QFileDialog& f) {
            f.selectFile(QString::fromStdString(rt1));
            return true;
        };
        d.ImportButton->click();
        enabledAfter = d.ImportButton->isEnabled();
    };
    Pad->Action("TIGER20001")->trigger();
    EXPECT_NE(Result, QDialog::Accepted);
    EXPECT_TRUE(enabledAfter);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Valid update file not found.");
    EXPECT_EQ(Boxes.Last().Caption, "Tiger 2000");
    EXPECT_EQ(Boxes.Hourglass, std::vector<bool>{false}) << "the box comes after the hourglass";
    // The chains read stay, the network is modified and the window shows them.
    EXPECT_GT(Pad->Network->LinkCount, 0);
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(Pad->View.MinX, Pad->Network->MinX);
    EXPECT_EQ(Pad->View.MaxX, Pad->Network->MaxX);
    EXPECT_FALSE(Main->Gate.Busy());
}

// Points that lie beyond the world's edge are placed on it; the status says
// how many, and the dialog stays open for it to be read. A whole import
// that placed every point where it lies closes the dialog as before.
TEST_F(TigerWindow, PointsPlacedOnTheWorldsEdgeAreReportedInTheStatus)
{
    tigertest::TSetSpec county = tigertest::GridCounty(2, 2, 3);
    county.Chains.push_back({99, "Stray", "A41", {{-102500000, 37500000}, {-102498000, 37500000}}});
    const std::string rt1 = tigertest::WriteSet(Dir.filePath("stray").toStdString(), county);
    std::string status;
    bool whole = false;
    OnTiger = [&](TTiger2000DB& d) {
        d.show();
        EXPECT_TRUE(d.StatusEB->text().isEmpty());
        d.YScaleEB->setText("-100000");
        d.XTranslateEB->setText("122");
        d.YTranslateEB->setText("-38");
        d.RunFileDialog = [&](QFileDialog& f) {
            f.selectFile(QString::fromStdString(rt1));
            return true;
        };
        d.ImportButton->click();
        status = d.StatusEB->text().toStdString();
        // The whole text shows, also with the dialog made as small as it
        // goes: the field holds it as wrapped at its width.
        d.resize(1, 1);
        whole = QTest::qWaitFor([&] {
            const QRect shown = d.StatusEB->contentsRect();
            return d.StatusEB->fontMetrics().boundingRect(shown, Qt::TextWordWrap, d.StatusEB->text()).height() <=
                   shown.height();
        });
    };
    Pad->Action("TIGER20001")->trigger();
    EXPECT_NE(Result, QDialog::Accepted);
    EXPECT_TRUE(whole);
    EXPECT_EQ(status, "26 nodes, 16 links, 42 shape points and 6 polygons added. 2 points lie beyond the world's edge "
                      "and were placed on it.");
    EXPECT_TRUE(Boxes.Calls.empty());
    EXPECT_EQ(Pad->Network->LinkCount, 16);
    EXPECT_EQ(Pad->View.MaxX, WorldLimit);
}
