// The table tools' menu item opens "Extract and Update" on the window's own
// network and formats, with the window's hooks connected.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFileDialog>
#include <QLineEdit>

#include "../shell/program_fixture.h"
#include "core/model/NetworkQueries.h"
#include "tools/ExtractDialog.h"

TEST(ToolCommands, ExtractUpdateOpensOnTheWindowsFormats)
{
    programtest::TProgram program;
    program.Start({.Show = false});
    TZOKMainWindow* main = program.Main.get();
    TSketchPadWindow* pad = main->SketchPads.at(0);
    (*pad->Network->NodeClasses)[1].Name = "Zone";
    pad->Settings.ExtractFormats.NodeTemplates[1] = "N,X,Y";
    int opened = 0;
    main->ExecDialog = [&](QDialog& d) {
        auto* x = qobject_cast<TExtractDB*>(&d);
        if (!x) return int(QDialog::Rejected);
        ++opened;
        x->FormShow(); // as showing it does
        EXPECT_FALSE(x->ForceDBase);
        EXPECT_TRUE(x->SelectAttribute && x->SelectProperty && x->ClearSaved && x->NetworkUpdated);
        EXPECT_EQ(x->LastExtractFile, &pad->View.LastExtractFile);
        EXPECT_EQ(x->Edits[1]->text().toStdString(), "N,X,Y");
        x->Edits[1]->setText("N,X");
        return int(QDialog::Rejected); // Cancel keeps the window's formats
    };
    ASSERT_TRUE(pad->Action("ExtractUpdate1")->isEnabled());
    pad->Action("ExtractUpdate1")->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(pad->Settings.ExtractFormats.NodeTemplates[1], "N,X,Y");
    EXPECT_EQ(pad->View.Saved, 1);
}

// An Update that moves points fits them into every window of the network, as
// the batch's Update does: a view reaches a node moved beyond its extents.
TEST(ToolCommands, UpdateThatMovesNodesRefitsEveryWindowOfTheNetwork)
{
    programtest::TProgram program;
    const std::string path = program.Path("net.dta");
    {
        TNetWindow n;
        (*n.NodeClasses)[1].Name = "Zone";
        for (auto [x, y, name] : {std::tuple{100, 100, "A"}, {300, 200, "B"}}) {
            THashEntry* cell = nullptr;
            TNode* node = AddNode(n, x, y, cell, false, 0);
            node->EntityType = 1;
            node->Name = name;
        }
        RecomputeExtents(n);
        TMessageSinkRecorder sink;
        ASSERT_TRUE(SaveNetworkFile(n, path, 9, sink).Ok);
    }
    const std::string table = program.Path("moved.txt");
    {
        std::ofstream out(table, std::ios::binary);
        out << "A,-400,-300\r\n";
    }
    TSketchPadWindow* view = program.StartWithView(path);
    ASSERT_NE(view, nullptr);
    TSketchPadWindow* pad = program.Pad;
    program.Main->ExecDialog = [&](QDialog& d) {
        auto* x = qobject_cast<TExtractDB*>(&d);
        if (!x) return int(QDialog::Rejected);
        x->FormShow();
        x->Edits[1]->setText("NNAME,NODEX,NODEY");
        x->Separation->button(SeparationRadioIndex(1))->setChecked(true);
        x->RunFileDialog = [&](QFileDialog& f) {
            f.selectFile(QString::fromStdString(table));
            return true;
        };
        x->Button2Click(); // "Update", answered OK
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(programtest::TProgram::Trigger(pad, "ExtractUpdate1"));
    ASSERT_EQ(FindNodeByName(*pad->Network, "A", nullptr)->X, -400);
    for (TSketchPadWindow* w : {pad, view}) {
        const QImage drawn = programtest::PaintWindow(*w, {600, 400});
        EXPECT_GT(programtest::InkNear(*w, drawn, -400, -300, 3), 0) << w->Caption();
    }
}
