// The table tools' menu item opens "Extract and Update" on the window's own
// network and formats, with the window's hooks connected.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "../shell/program_fixture.h"
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
