// What the Calculate dialogs store: fields cut and kept free of line
// breaks, hidden rows left alone, line moves and insertions at their edges,
// and the refusals of the variables and lookup tables.
#include "core/calc/CalcDialogModel.h"
#include "core/edit/SchemaEdit.h"
#include "core/model/Network.h"

#include <gtest/gtest.h>

TEST(CalcDialogModel, StoredFieldsAreCutAndHoldNoLineBreak)
{
    TCalcProgram p;
    p.CalcRanges[CalcKindNode].Begin[3] = 7; // a class the window no longer shows
    p.CalcParameters[CalcKindLink][2] = "kept";
    TCalcDialogFields f = ProgramFields(p, 2, 1);
    f.Lines[1] = "A1 = 1\r\nA2 = 2";
    f.Lines[2] = std::string(300, 'x');
    f.Rows[CalcKindNode][1] = {2, 11, std::string(40, 'Y') + "\n"}; // 11 is no line
    f.Rows[CalcKindNode][3] = {9, 9, "hidden"};
    f.Rows[CalcKindLink][2] = {1, 1, "hidden too"};
    f.Rows[CalcKindSystem][5] = {4, 5, "1\r2"};
    StoreProgramFields(f, p);
    EXPECT_EQ(p.CalcLines[1], "A1 = 1A2 = 2");
    EXPECT_EQ(p.CalcLines[2].size(), 255u);
    EXPECT_EQ(p.CalcRanges[CalcKindNode].Begin[1], 2);
    EXPECT_EQ(p.CalcRanges[CalcKindNode].End[1], 0);
    EXPECT_EQ(p.CalcParameters[CalcKindNode][1], std::string(35, 'Y'));
    EXPECT_EQ(p.CalcParameters[CalcKindSystem][5], "12");
    EXPECT_EQ(p.CalcRanges[CalcKindNode].Begin[3], 7);
    EXPECT_EQ(p.CalcParameters[CalcKindLink][2], "kept");

    // What was stored writes and reads back line for line.
    std::string text, error;
    ASSERT_TRUE(WriteProgramText(p, text));
    TCalcProgram back;
    ASSERT_TRUE(ReadProgramText(text, back, error)) << error;
    back.ProgramFile = p.ProgramFile;
    EXPECT_EQ(back, p);
}

TEST(CalcDialogModel, LineMovesOperandNamesAndInsertions)
{
    std::array<std::string, CalcLineCount + 1> lines;
    for (int i = 1; i <= CalcLineCount; ++i) lines[size_t(i)] = "L" + std::to_string(i);
    EXPECT_EQ(MoveRelationLine(lines, 1, true), 1);
    EXPECT_EQ(MoveRelationLine(lines, 10, false), 10);
    EXPECT_EQ(lines[1], "L1");
    EXPECT_EQ(lines[10], "L10");
    EXPECT_EQ(MoveRelationLine(lines, 4, true), 3);
    EXPECT_EQ(lines[3], "L4");
    EXPECT_EQ(lines[4], "L3");
    EXPECT_EQ(MoveRelationLine(lines, 9, false), 10);
    EXPECT_EQ(lines[10], "L9");

    EXPECT_EQ(CalcOperandName(1), "a1");
    EXPECT_EQ(CalcOperandName(10), "aa");
    EXPECT_EQ(CalcOperandName(35), "az");
    EXPECT_EQ(CalcOperandName(36), "b1");
    EXPECT_EQ(CalcOperandName(100), "cu");
    EXPECT_EQ(CalcOperandName(0), "");
    EXPECT_EQ(CalcOperandName(101), "");
    EXPECT_EQ(ParameterItem(0), "---");
    EXPECT_EQ(ParameterItem(9), "P9");
    EXPECT_EQ(ParameterItem(10), "Pa");
    EXPECT_EQ(ParameterItem(35), "Pz");

    std::string line = "A1 =  + 1";
    int caret = 5;
    ASSERT_TRUE(InsertAtCaret(line, caret, "b1"));
    EXPECT_EQ(line, "A1 = b1 + 1");
    EXPECT_EQ(caret, 7);
    line = std::string(254, 'x');
    caret = 999;
    EXPECT_FALSE(InsertAtCaret(line, caret, "cu"));
    EXPECT_EQ(line.size(), 254u);

    // The memo of a line: line breaks removed, more than 255 refused.
    std::string out = "old";
    EXPECT_TRUE(RelationLineFromMemo("A1 = 1:\r\nA2 = 2", out));
    EXPECT_EQ(out, "A1 = 1:A2 = 2");
    EXPECT_FALSE(RelationLineFromMemo(std::string(200, 'a') + "\r\n" + std::string(56, 'b'), out));
    EXPECT_EQ(out, "A1 = 1:A2 = 2");
    EXPECT_TRUE(RelationLineFromMemo(std::string(200, 'a') + "\r\n" + std::string(55, 'b'), out));
}

TEST(CalcDialogModel, VariablesAndLookupTablesRefuseWhatIsNoNumber)
{
    TCalcProgram p;
    p.Variables[2] = 7;
    std::array<std::string, CalcVariableCount + 1> values, names;
    for (int i = 1; i <= CalcVariableCount; ++i) values[size_t(i)] = "0.";
    names[1] = "Trips\r\nper day and more than thirty characters";
    for (const char* bad : {"", "abc", "nan", "1e999", "0x10"}) {
        values[2] = bad;
        std::vector<int> failed;
        EXPECT_FALSE(StoreVariables(values, names, p, failed)) << bad;
        EXPECT_EQ(failed, std::vector<int>{2});
        EXPECT_EQ(p.Variables[2], 7);
        EXPECT_EQ(p.VariableNames[1], "");
    }
    values[2] = " -2.5E3 ";
    std::vector<int> failed;
    ASSERT_TRUE(StoreVariables(values, names, p, failed));
    EXPECT_EQ(p.Variables[2], -2500);
    EXPECT_EQ(p.VariableNames[1], "Tripsper day and more than thi");
    EXPECT_EQ(VariableMemoLines(values, names), std::vector<std::string>{std::string(names[1]) + "\t0."});

    TLookupTable t = p.LookupTables[1];
    TLookupFields f = LookupFields(t);
    f.Description = std::string(40, 'd');
    f.Otherwise = "nan";
    f.CodePosition = 1;
    f.Values[3] = "abc";
    f.Bottom[1] = 'B';
    EXPECT_FALSE(StoreLookupFields(f, t, failed));
    EXPECT_EQ(failed, (std::vector<int>{0, 3}));
    EXPECT_EQ(t, p.LookupTables[1]);
    f.Otherwise = "2";
    f.Values[3] = "4";
    ASSERT_TRUE(StoreLookupFields(f, t, failed));
    EXPECT_EQ(t.Description.size(), 30u);
    EXPECT_EQ(t.Values[3], 4);
    EXPECT_EQ(t.Bottom[1], 'B');
    // Without a code position the rows are cleared, bad row values or not.
    f.CodePosition = 0;
    f.Values[3] = "abc";
    ASSERT_TRUE(StoreLookupFields(f, t, failed));
    EXPECT_EQ(t.Values[3], 0);
    EXPECT_EQ(t.Bottom[1], ' ');
}

TEST(CalcDialogModel, ListsOfTheSideTables)
{
    TNetwork net;
    TClassRecord& zone = (*net.NodeClasses)[1];
    zone.Name = "Zone";
    SetAttributeCount(zone, 2);
    zone.Attr(1)->Name = "Pop";
    zone.Attr(2)->Name = "Area";
    SetAttributeKind(*zone.Attr(2), 'C');
    SetWorksheetRows(*zone.Attr(2), 2);
    zone.Attr(2)->WorkSheet->Rows[1].Label = "Type";
    zone.Attr(2)->WorkSheet->Rows[1].Codes = "UR?U";
    zone.Attr(2)->WorkSheet->Rows[2].Label = "Size";
    EXPECT_EQ(ClassItems(net, CalcKindNode), std::vector<std::string>{"Zone"});
    EXPECT_TRUE(ClassItems(net, CalcKindLink).empty());
    EXPECT_EQ(ClassItems(net, CalcKindSystem).size(), 1u);
    EXPECT_EQ(ClassOf(net, CalcKindNode, 2), nullptr);
    EXPECT_EQ(AttributeItems(ClassOf(net, CalcKindNode, 1)), (std::vector<std::string>{"None", "Pop", "Area"}));
    EXPECT_EQ(CodePositionItems(zone.Attr(1)), std::vector<std::string>{"None"});
    EXPECT_EQ(CodePositionItems(zone.Attr(2)), (std::vector<std::string>{"None", "Type", "Size"}));
    // A blank, each code once, then "?".
    EXPECT_EQ(LookupRowCodes(zone.Attr(2), 1), " UR?");
    EXPECT_EQ(LookupRowCodes(zone.Attr(2), 3), " ?");
}
