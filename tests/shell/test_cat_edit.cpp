#include "shell/CatEditDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "core/file/TextFormat.h"

namespace {

TAttrib CategoryAttribute()
{
    TAttrib a;
    a.Kind = 'C';
    a.TopRow = 2;
    a.WorkSheet = std::make_unique<TWorkSheet>();
    a.WorkSheet->Rows[1].Codes = "ABC";
    a.WorkSheet->Rows[2].Codes = "xy";
    return a;
}

TEST(CategoryCodesDialog, ChecksEachPositionAgainstItsRowOnOk)
{
    TAttrib attr = CategoryAttribute();
    TValueSlot slot = PackShortText("Bx");
    std::string text;
    std::string shownCodes, shownCaption;
    bool ok = EditCategoryCodes(slot, attr, std::string(60, 'c'), text, nullptr, [&](QDialog& d) {
        auto& dlg = static_cast<TCatEditDB&>(d);
        shownCodes = dlg.Edit1->text().toStdString();
        shownCaption = dlg.Label1->text().toStdString();
        dlg.Edit1->setText("Cz");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(shownCodes, "Bx");
    EXPECT_EQ(shownCaption.size(), 50u);
    EXPECT_EQ(text, "C?");
    EXPECT_EQ(UnpackShortText(slot), "C?      ");
}

TEST(CategoryCodesDialog, CancelLeavesTheSlot)
{
    TAttrib attr = CategoryAttribute();
    TValueSlot slot = PackShortText("Ay");
    std::string text = "unchanged";
    bool ok = EditCategoryCodes(slot, attr, "Mode", text, nullptr, [](QDialog& d) {
        static_cast<TCatEditDB&>(d).Edit1->setText("Cx");
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(UnpackShortText(slot), "Ay      ");
}

} // namespace
