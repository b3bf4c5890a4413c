#include "core/model/Messages.h"

#include <gtest/gtest.h>

TEST(Messages, StringTableLookups)
{
    EXPECT_EQ(MessageText(172), "Expression Error");
    EXPECT_EQ(MessageText(62), "Top, Right");
    EXPECT_EQ(MessageText(127), " Attributes");
    EXPECT_EQ(MessageText(412), ""); // an id without a text
    EXPECT_EQ(MessageText(-5), "");
    EXPECT_FALSE(HasMessageText(412));
    const std::string res = LoadResText(248);
    EXPECT_EQ(res.size(), 5u);
    EXPECT_EQ(res, std::string("Zoom\0", 5));
    EXPECT_EQ(LoadResText(9999), std::string("\0", 1));

    const auto& table = StringTable();
    for (std::size_t i = 1; i < table.size(); ++i)
        EXPECT_LT(table[i - 1].Id, table[i].Id);
}

TEST(Messages, BoxesGoThroughTheSinkCutTo79)
{
    TMessageSinkRecorder rec;
    EXPECT_EQ(ShowMessageBox(rec, 172, 127, MB_EXCLAMATION_OK), IDOK);
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text, "Expression Error");
    EXPECT_EQ(rec.Last().Caption, " Attributes");
    EXPECT_EQ(rec.Last().Flags, 0x30);

    ShowMessageBox(rec, 400, 248, MB_STOP_OK);
    EXPECT_EQ(rec.Last().Text.size(), 79u);
    EXPECT_EQ(rec.Last().Text, MessageText(400).substr(0, 79));

    rec.Answers = {IDNO, IDCANCEL};
    EXPECT_EQ(ShowMessageText(rec, "Close: x", "Do you want to save?", MB_STOP_YESNOCANCEL), IDNO);
    EXPECT_EQ(ShowMessageBox(rec, 261, 260, MB_STOP_OKCANCEL), IDCANCEL);
    EXPECT_EQ(ShowMessageBox(rec, 261, 260, MB_STOP_YESNOCANCEL), IDYES); // answers used up: default
    EXPECT_EQ(MB_STOP_OKCANCEL, 0x11);
    EXPECT_EQ(MB_STOP_YESNOCANCEL, 0x13);
    EXPECT_EQ(MB_EXCLAMATION_OKCANCEL, 0x31);

    EXPECT_EQ(MessageTextForDisplay("Node Count = 3\n\rLink Count = 4\n\rEnd"), "Node Count = 3\nLink Count = 4\nEnd");
}
