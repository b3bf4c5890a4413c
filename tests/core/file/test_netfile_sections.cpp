// The settings files (.wdt, .xup) and the version rules of the display and
// search sections.
#include <gtest/gtest.h>

#include "core/file/LegacyText.h"
#include "core/file/SettingsSections.h"
#include "core/model/DisplaySettings.h"
#include "core/model/ExtractFormats.h"
#include "core/model/SearchSettings.h"
#include "core/model/WidthSettings.h"
#include "netfile_fixture.h"

using namespace netfiletest;

TEST(WidthsFile, RoundTripAndOlderForms)
{
    TWidthSettings w;
    w.LinkTop[40] = 99.5;
    w.NodeBottom[3] = -1;
    w.NodeSizeExpressions[2] = "A1:A2";
    w.NodeSizes[12] = 30;
    w.NodeLegend[1] = 1;
    const std::string path = TempPath("w.wdt");
    ASSERT_EQ(WriteWidthsFile(path, w), TWidthsFileResult::Ok);
    const std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.substr(0, 28), "LINK WIDTHS/NODE CIRCLES 6\r\n");
    TWidthSettings back;
    ASSERT_EQ(ReadWidthsFile(path, back), TWidthsFileResult::Ok);
    EXPECT_EQ(back.LinkTop[40], 99.5);
    EXPECT_EQ(back.NodeBottom[3], -1);
    EXPECT_EQ(back.NodeSizeExpressions[2], "A1:A2");
    EXPECT_EQ(back.NodeSizes[12], 30);
    EXPECT_EQ(back.NodeLegend[1], 0); // legends do not travel through a widths file

    // The older tag has 10 intervals and may end after the node expressions.
    std::string v5 = "LINK WIDTHS/NODE CIRCLES\r\n";
    for (int k = 1; k <= 10; ++k) v5 += " 2.00000000000000E+0000  1.00000000000000E+0000\r\n";
    for (int c = 1; c <= 10; ++c) v5 += "A1\r\n";
    for (int k = 1; k <= 10; ++k) v5 += "5 6\r\n";
    for (int c = 1; c <= 10; ++c) v5 += "A2\r\n";
    WriteAll(path, v5);
    TWidthSettings old;
    old.LinkTop[11] = 7;
    ASSERT_EQ(ReadWidthsFile(path, old), TWidthsFileResult::Ok);
    EXPECT_EQ(old.LinkTop[10], 2);
    EXPECT_EQ(old.LinkTop[11], 7);
    EXPECT_EQ(old.NodeSizeExpressions[10], "A2");

    WriteAll(path, "LINK WIDTHS/NODE CIRCLES 7\r\n");
    EXPECT_EQ(ReadWidthsFile(path, old), TWidthsFileResult::NotAWidthsFile);
    WriteAll(path, v5.substr(0, 200));
    EXPECT_EQ(ReadWidthsFile(path, old), TWidthsFileResult::ReadError);
    EXPECT_EQ(old.LinkTop[10], 2); // a failed read changes nothing
}

TEST(ExtractFormatsFile, RoundTripKeepsOnlyTheStoredFields)
{
    TExtractFormats x;
    x.NodeTemplates[1] = "N,X,Y";
    x.LinkTemplates[10] = "P,Q,A1";
    x.SeparationMode = 1;
    x.UpdateOldNew = 2;
    x.AssumeNames = 1;
    x.FilterNodesWithoutLinks = 1;
    x.XScale = 3;
    const std::string path = TempPath("f.xup");
    ASSERT_TRUE(WriteExtractFormatsFile(path, x));
    TExtractFormats back;
    back.NameSearch = "keep";
    ASSERT_TRUE(ReadExtractFormatsFile(path, back));
    EXPECT_EQ(back.NodeTemplates[1], "N,X,Y");
    EXPECT_EQ(back.LinkTemplates[10], "P,Q,A1");
    EXPECT_EQ(back.SeparationMode, 1);
    EXPECT_EQ(back.UpdateOldNew, 2);
    EXPECT_EQ(back.AssumeNames, 1);
    EXPECT_EQ(back.OnlyNodesWithPolygons, 0);
    EXPECT_EQ(back.FilterNodesWithoutLinks, 1);
    EXPECT_EQ(back.XScale, 1.0);
    EXPECT_EQ(back.NameSearch, "keep");
    // An option outside its list is kept as read; only a number that does
    // not parse fails the read.
    std::string bytes = ReadAll(path);
    WriteAll(path, bytes.substr(0, bytes.size() - 15) + "4\r\n5\r\n0\r\n0\r\n7\r\n");
    ASSERT_TRUE(ReadExtractFormatsFile(path, back));
    EXPECT_EQ(back.SeparationMode, 4);
    EXPECT_EQ(back.UpdateOldNew, 5);
    EXPECT_EQ(back.FilterNodesWithoutLinks, 7);
    ASSERT_TRUE(WriteExtractFormatsFile(path, back));
    EXPECT_EQ(ReadAll(path).substr(bytes.size() - 15), "4\r\n5\r\n0\r\n0\r\n7\r\n");
    WriteAll(path, bytes.substr(0, bytes.size() - 3) + "x\r\n");
    EXPECT_FALSE(ReadExtractFormatsFile(path, back));
}

TEST(DisplaySection, StyleCodesAndOlderLayouts)
{
    for (uint8_t style = 0; style <= 8; ++style) EXPECT_EQ(FillStyleFromCode(FillStyleToCode(style, 9)), style);
    EXPECT_EQ(FillStyleToCode(25, 7), 25);
    EXPECT_NE(FillStyleToCode(25, 6), 25);
    uint8_t pen = 0;
    int32_t width = 0;
    PenFromCode(PenToCode(0, 3), pen, width);
    EXPECT_EQ(pen, 0);
    EXPECT_EQ(width, 3);
    PenFromCode(PenToCode(2, 1), pen, width);
    EXPECT_EQ(PenToCode(2, 1), 8);
    EXPECT_EQ(pen, 2);
    EXPECT_EQ(width, 1);

    // Version 5: 15 palette colours after the marker line, 11 polygon styles;
    // styles above 10 stay as they were when it is read back.
    TDisplaySettings d;
    TWidthSettings w;
    for (int i = 1; i <= 16; ++i) d.Colors[i] = 100 + i;
    d.PolygonStyles[20].FillColor = 77;
    TTextWriter out;
    TFileContext f;
    f.OutFile = &out;
    f.WriteVersion = 5;
    ASSERT_TRUE(WriteDisplaySettings(f, d, w));
    EXPECT_NE(out.Text().find("-16777215\r\n101\r\n"), std::string::npos);
    TDisplaySettings back;
    back.PolygonStyles[20].FillColor = 5;
    TTextReader in(out.Text());
    TFileContext g;
    g.InFile = &in;
    g.ReadVersion = 5;
    ASSERT_TRUE(ReadDisplaySettings(g, back, w));
    EXPECT_EQ(back.Colors[1], 101);
    EXPECT_EQ(back.Colors[15], 115);
    EXPECT_EQ(back.Colors[16], 0);
    EXPECT_EQ(back.PolygonStyles[20].FillColor, 5);
    EXPECT_TRUE(in.SeekEof());
}

// A criterion that an older file cannot express for its attribute kind is
// written inactive, so that the file reads back.
TEST(SearchSection, CriteriaFollowTheKindsOfTheVersion)
{
    for (int v : {4, 5, 7, 8}) {
        TNetWindow net;
        MakeRichNetwork(net);
        TAttrib& opened = *(*net.NodeClasses)[1].Attributes[4]; // 'D'
        opened.Active = 1;
        int err = 0;
        opened.Low = TextToDateTime("1/1/1990", err, DateTimeModeDate, UnknownDateTime()).Real();
        opened.High = TextToDateTime("1/1/2000", err, DateTimeModeDate, UnknownDateTime()).Real();
        TNetWindow back;
        TRoundTrip t = RoundTrip(net, v, "crit" + std::to_string(v), back);
        ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << "v" << v << " " << t.Opened.Detail;
        const TClassRecord& zone = (*back.NodeClasses)[1];
        EXPECT_EQ(zone.Attributes[1]->Active, 1);
        EXPECT_EQ(zone.Attributes[1]->High, 2000.5);
        EXPECT_EQ(zone.Attributes[4]->Active, v >= 5 ? 1 : 0) << v;
        if (v >= 5) {
            EXPECT_EQ(zone.Attributes[4]->High, opened.High);
        }
        EXPECT_EQ(zone.Attributes[5]->Active, v >= 8 ? 1 : 0) << v;
    }
}
