// The "Extract and Update" dialog: pages and rows by class, the separation
// codes, OK's check, Clear, .xup files, the Extract and Update buttons, the
// force flags and the context menu.
#include "tools/ExtractDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include "core/file/SettingsSections.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "platform/CodePage.h"
#include "shell/RealEdit.h"
#include "../core/tables/tables_fixture.h"
#include "../shell/file_dialog_listing.h"

using namespace tabletest;

namespace {

struct TDialogFixture : ::testing::Test {
    TNetwork Net;
    TWindowSettings Ws;
    TViewRecord View;
    TMessageSinkRecorder Sink;
    TTempDir Dir;
    std::string LastExtract;
    int SavedCleared = 0;
    std::string NextFile; // what the next file dialog answers ("" cancels)
    std::unique_ptr<TExtractDB> D;

    void SetUp() override { MakeNetwork(Net, Ws); }
    TExtractDB& Dialog()
    {
        D = std::make_unique<TExtractDB>(Net, Ws, View);
        D->Boxes = &Sink;
        D->LastExtractFile = &LastExtract;
        D->ClearSaved = [this] { ++SavedCleared; };
        D->RunFileDialog = [this](QFileDialog& f) {
            if (NextFile.empty()) return false;
            f.selectFile(QString::fromStdString(NextFile));
            return true;
        };
        return *D;
    }
    bool Red(QLineEdit* e) { return e->palette().color(QPalette::Text) == Qt::red; }
};

} // namespace

TEST_F(TDialogFixture, ShowsThePagesAndRowsOfTheClassesThatExist)
{
    TExtractDB& d = Dialog();
    EXPECT_EQ(d.windowTitle(), "Extract and Update");
    EXPECT_EQ(d.PageControl1->currentWidget(), d.NodePage);
    EXPECT_EQ(d.Labels[1]->text(), "Zone");
    EXPECT_EQ(d.Edits[1]->text().toStdString(), Ws.ExtractFormats.NodeTemplates[1]);
    EXPECT_FALSE(d.Edits[2]->isHidden());
    EXPECT_TRUE(d.Edits[3]->isHidden());
    EXPECT_FALSE(d.Edits[11]->isHidden());
    EXPECT_TRUE(d.Edits[12]->isHidden());
    EXPECT_EQ(d.Edits[1]->maxLength(), 500);

    (*Net.NodeClasses)[1].Name.clear();
    d.FormShow();
    EXPECT_FALSE(d.PageControl1->isTabVisible(d.PageControl1->indexOf(d.NodePage)));
    EXPECT_EQ(d.PageControl1->currentWidget(), d.LinkPage);
    (*Net.LinkClasses)[1].Name.clear();
    d.FormShow();
    EXPECT_EQ(d.PageControl1->currentWidget(), d.OptionsPage);
    EXPECT_TRUE(d.Edits[1]->text().isEmpty()) << "rows of undefined classes are emptied";
}

TEST_F(TDialogFixture, MapsTheSeparationRadioToItsCodesBothWays)
{
    for (int code = 0; code <= 3; ++code) EXPECT_EQ(SeparationCode(SeparationRadioIndex(code)), code);
    Ws.ExtractFormats.SeparationMode = 1;
    TExtractDB& d = Dialog();
    EXPECT_EQ(d.Separation->checkedButton()->text(), "Commas");
    for (auto [caption, code] : {std::pair{"Tabs", 2}, {"Commas", 1}, {"dBase", 3}, {"Columnar", 0}}) {
        for (QAbstractButton* b : d.Separation->buttons())
            if (b->text() == caption) b->setChecked(true);
        d.BitBtn1Click();
        EXPECT_EQ(Ws.ExtractFormats.SeparationMode, code) << caption;
    }
}

TEST_F(TDialogFixture, OkChecksTheTransformAndClearsTheWindowsSavedByteOnAChange)
{
    TExtractDB& d = Dialog();
    d.BitBtn1Click();
    EXPECT_EQ(SavedCleared, 0) << "nothing changed";
    EXPECT_EQ(d.result(), QDialog::Accepted);

    d.setResult(0);
    d.Edits[1]->setText("NNAME");
    d.XScaleEB->setText("abc");
    d.YScaleEB->setText("0");
    d.BitBtn1Click();
    EXPECT_TRUE(Red(d.XScaleEB));
    EXPECT_TRUE(Red(d.YScaleEB));
    EXPECT_FALSE(Red(d.XTranslateEB));
    EXPECT_EQ(Sink.Last().Text, "Error in transform values.");
    EXPECT_EQ(Sink.Last().Caption, "Extract/Update");
    EXPECT_NE(Ws.ExtractFormats.NodeTemplates[1], "NNAME") << "nothing stored";
    EXPECT_EQ(d.result(), 0);

    d.XScaleEB->setText("2");
    d.YScaleEB->setText("0.5");
    d.Edits[1]->setText(QString::fromUtf8("NNAME,\"\u03A9\""));
    d.BitBtn1Click();
    EXPECT_TRUE(IsMarkedBad(d.Edits[1])) << "a letter the network file cannot keep";
    EXPECT_EQ(Sink.Last().Text, MessageText(1001) + " U+03A9.");
    EXPECT_NE(Ws.ExtractFormats.NodeTemplates[1], "NNAME,\"?\"");
    EXPECT_EQ(d.result(), 0);

    d.Edits[1]->setText(QString::fromUtf8("NNAME,\"\u20AC\""));
    d.SearchEB->setText(QString(60, 'x').left(50));
    d.BitBtn1Click();
    EXPECT_FALSE(Red(d.XScaleEB));
    EXPECT_EQ(Ws.ExtractFormats.NodeTemplates[1], "NNAME,\"\x80\"");
    EXPECT_EQ(Ws.ExtractFormats.XScale, 2);
    EXPECT_EQ(Ws.ExtractFormats.YScale, 0.5);
    EXPECT_EQ(SavedCleared, 1);
}

TEST_F(TDialogFixture, ClearKeepsTheFilterOnNodesWithoutLinks)
{
    Ws.ExtractFormats.FilterNodesWithoutLinks = 1;
    Ws.ExtractFormats.AssumeNames = 1;
    Ws.ExtractFormats.SeparationMode = 3;
    TExtractDB& d = Dialog();
    d.BitBtn3Click();
    EXPECT_TRUE(d.Edits[1]->text().isEmpty());
    EXPECT_EQ(d.XScaleEB->text(), "1");
    EXPECT_EQ(d.XTranslateEB->text(), "0");
    EXPECT_EQ(d.Separation->checkedId(), 0);
    EXPECT_FALSE(d.AssumeNamesCB->isChecked());
    EXPECT_TRUE(d.FilterCB->isChecked());
    EXPECT_EQ(Ws.ExtractFormats.SeparationMode, 3) << "nothing is stored before OK";
}

TEST_F(TDialogFixture, OpensAndSavesFormatsFiles)
{
    TExtractDB& d = Dialog();
    // Save stores the controls first, then writes them.
    d.Edits[11]->setText("LNAME,SPE");
    NextFile = Dir / "f.xup";
    d.Button4Click();
    TExtractFormats read;
    ASSERT_TRUE(ReadExtractFormatsFile(NextFile, read));
    EXPECT_EQ(read.LinkTemplates[1], "LNAME,SPE");
    EXPECT_EQ(Ws.ExtractFormats.LinkTemplates[1], "LNAME,SPE");

    // Transform values the check refuses are reported and not stored; the
    // record, unchanged, is written all the same.
    d.XScaleEB->setText("0");
    d.Edits[11]->setText("LNAME");
    NextFile = Dir / "g.xup";
    Sink.Clear();
    d.Button4Click();
    ASSERT_EQ(Sink.Count(), 1u);
    EXPECT_EQ(Sink.Last().Text, "Error in transform values.");
    TExtractFormats written;
    ASSERT_TRUE(ReadExtractFormatsFile(NextFile, written));
    EXPECT_EQ(written.LinkTemplates[1], "LNAME,SPE");
    EXPECT_EQ(Ws.ExtractFormats.LinkTemplates[1], "LNAME,SPE");
    EXPECT_EQ(Ws.ExtractFormats.XScale, 1);
    d.XScaleEB->setText("1");

    // A file that cannot be read leaves the formats as they were.
    WriteAll(Dir / "bad.xup", "NNAME\r\n\r\n");
    const TExtractFormats before = Ws.ExtractFormats;
    NextFile = Dir / "bad.xup";
    d.Button3Click();
    EXPECT_TRUE(SameFormats(before, Ws.ExtractFormats));
    EXPECT_EQ(Sink.Last().Text, "Cannot read Extract/Update formats file.");
    EXPECT_EQ(Sink.Last().Caption, "Update");

    read.SeparationMode = 1;
    read.NodeTemplates[1] = "NNAME,POP";
    WriteExtractFormatsFile(Dir / "h.xup", read);
    NextFile = Dir / "h.xup";
    d.Button3Click();
    EXPECT_EQ(d.Edits[1]->text(), "NNAME,POP");
    EXPECT_EQ(d.Separation->checkedButton()->text(), "Commas");
}

TEST_F(TDialogFixture, ExtractsAndUpdatesFromTheControls)
{
    TExtractDB& d = Dialog();
    d.Edits[1]->setText("NNAME,POP");
    d.Edits[2]->clear();
    d.Edits[11]->clear();
    d.Separation->button(SeparationRadioIndex(1))->setChecked(true);
    NextFile = Dir / "t.txt";
    d.Button1Click();
    EXPECT_EQ(ReadAll(NextFile), "\"Beta\",-0.25\r\n\"Alpha\",1234.5\r\n\"Gamma\",5280\r\n");
    EXPECT_EQ(Sink.Last().Text, "3 Records written");
    EXPECT_EQ(LastExtract, NextFile);

    WriteAll(NextFile, "Alpha,42\r\n");
    Sink.Answers = {IDCANCEL};
    d.Button2Click();
    EXPECT_EQ(FindNode(Net, "Alpha")->Values[0].Real(), 1234.5) << "cancelled";
    Sink.Clear();
    int updated = 0;
    d.NetworkUpdated = [&](const TUpdateResult& r) { updated += r.Changed; };
    d.Button2Click();
    EXPECT_EQ(Sink.Calls.front().Text, "Network in memory will be modified.");
    EXPECT_EQ(Sink.Calls.front().Flags, MB_EXCLAMATION_OKCANCEL);
    EXPECT_EQ(FindNode(Net, "Alpha")->Values[0].Real(), 42);
    EXPECT_EQ(updated, 1);
    EXPECT_TRUE(d.isEnabled());
}

TEST_F(TDialogFixture, UpdateFindsATableWrittenWithoutAnExtensionUnderAllFiles)
{
    TExtractDB& d = Dialog();
    d.Edits[1]->setText("NNAME,POP");
    d.Edits[2]->clear();
    d.Edits[11]->clear();
    d.Separation->button(SeparationRadioIndex(1))->setChecked(true);
    NextFile = Dir / "links";
    d.Button1Click();
    WriteAll(NextFile, "Alpha,42\r\n");
    WriteAll(Dir / "other.txt", "");
    // The user looks for it under "All files" and picks it when it is there.
    QStringList listed;
    d.RunFileDialog = [&](QFileDialog& f) {
        listed = filedialogtest::ListedUnder(f, QString::fromStdString(Dir.Path.string()), "All files", "other.txt");
        if (!listed.contains("links")) return false;
        f.selectFile(QString::fromStdString(NextFile));
        return true;
    };
    d.Button2Click();
    EXPECT_TRUE(listed.contains("links")) << listed.join(' ').toStdString();
    EXPECT_EQ(FindNode(Net, "Alpha")->Values[0].Real(), 42);
}

TEST_F(TDialogFixture, ForcedFlagsShowWithoutChangingWhatIsStored)
{
    Ws.ExtractFormats.SeparationMode = 1;
    TExtractDB& d = Dialog();
    d.ForceDBase = true;
    d.ForceOnlyPolygons = true;
    d.FormShow();
    EXPECT_EQ(d.Separation->checkedButton()->text(), "dBase");
    EXPECT_TRUE(d.OnlyPolygonsCB->isChecked());
    d.BitBtn1Click();
    EXPECT_EQ(Ws.ExtractFormats.SeparationMode, 1);
    EXPECT_EQ(Ws.ExtractFormats.OnlyNodesWithPolygons, 0);
}

TEST_F(TDialogFixture, ContextMenuOfTheTemplateEdits)
{
    TExtractDB& d = Dialog();
    QStringList captions;
    for (QAction* a : d.PopupMenu1->actions())
        if (!a->isSeparator()) captions << a->text();
    EXPECT_EQ(captions, (QStringList{"&Undo", "Cu&t", "&Paste", "&Copy", "&Delete", "Select &All", "Attributes...",
                                     "Node Properties...", "Link Properties...", "Other Items..."}));
    d.Edits[2]->setText("NNAME");
    d.Edits[2]->setSelection(0, 2);
    d.PreparePopup(2);
    EXPECT_TRUE(d.Cut1->isEnabled());
    EXPECT_TRUE(d.SelectAll1->isEnabled());
    EXPECT_FALSE(d.Attributes1->isEnabled()) << "class 2 has no attribute";
    d.Edits[2]->selectAll();
    d.PreparePopup(2);
    EXPECT_FALSE(d.SelectAll1->isEnabled());

    int askedClass = 0;
    d.SelectAttribute = [&](const TEntityClass&, int cls, std::string& alias) {
        askedClass = cls;
        alias = "POP";
        return true;
    };
    d.SelectProperty = [&](TPropertyList list, int kind, std::string& name) {
        name = list == TPropertyList::NodeProperties && kind == 0 ? "NodeX" : "?";
        return true;
    };
    d.Edits[1]->setText("NNAME,");
    d.Edits[1]->setCursorPosition(6);
    d.PreparePopup(1);
    EXPECT_TRUE(d.Attributes1->isEnabled());
    d.Attributes1->trigger();
    d.NodeProperties1->trigger();
    EXPECT_EQ(askedClass, 1);
    EXPECT_EQ(d.Edits[1]->text(), "NNAME,POP,NodeX,");
}
