// Update: tables read back with the templates that wrote them, new nodes and
// links, matching, what a record's fields give, and bad tables.
#include <gtest/gtest.h>

#include "core/edit/Transforms.h"
#include "core/file/NetworkFile.h"
#include "core/tables/Update.h"
#include "core/tables/XBase.h"
#include "tables_fixture.h"

using namespace tabletest;

namespace {

struct TUpdateFixture : ::testing::Test {
    TNetwork Net;
    TWindowSettings Ws;
    TViewRecord View;
    TMessageSinkRecorder Sink;
    TTempDir Dir;
    TExtractFormats& X = Ws.ExtractFormats;
    void SetUp() override { MakeNetwork(Net, Ws); }

    TUpdateResult Update(int mode, const std::string& file)
    {
        X.SeparationMode = uint8_t(mode);
        Net.Modified = false;
        return RunUpdate(Net, X, file, Sink);
    }
    TUpdateResult UpdateText(int mode, const std::string& text)
    {
        WriteAll(Dir / "u.txt", text);
        return Update(mode, Dir / "u.txt");
    }
    double Value(const std::string& name, int k) { return FindNode(Net, name)->Values[size_t(k - 1)].Real(); }
};

} // namespace

TEST_F(TUpdateFixture, ReadsBackEveryTableWithTheTemplatesThatWroteIt)
{
    for (int mode = 0; mode < 4; ++mode) {
        FreeNetwork(Net);
        Net.NodeClasses = std::make_unique<TEntityClass>();
        Net.LinkClasses = std::make_unique<TEntityClass>();
        MakeNetwork(Net, Ws);
        X.NodeTemplates[2].clear();
        X.LinkTemplates[1] = "LNAME,NNAMEA,NNAMEB,SPE,STR,SHAPES,COORD";
        const std::string file = Dir / (mode == 3 ? "t.dbf" : "t.txt");
        X.SeparationMode = uint8_t(mode);
        ASSERT_EQ(RunExtract(Net, Ws, View, X, file, true, Sink).ErrorCode, 0);
        TNode* a = FindNode(Net, "Alpha");
        TNode* b = FindNode(Net, "Beta");
        const TValueSlot before[] = {a->Values[2], a->Values[3], a->Values[4], a->Values[5]};
        a->Values[0] = Real(0);
        a->Values[1] = Real(0);
        for (int k = 2; k < 6; ++k) a->Values[size_t(k)] = UnknownDateTime();
        a->Strings.Set(0, "");
        b->Values[0] = Real(99);
        b->Strings.Set(0, "changed");
        FindLink(Net, "AB")->Values[0] = Real(0);
        FindLink(Net, "AB")->Strings.Set(0, "");

        const TUpdateResult r = Update(mode, file);
        EXPECT_EQ(r.ErrorCode, 0) << mode;
        EXPECT_EQ(r.Lines, 5) << mode;
        EXPECT_EQ(Sink.Count(), 0u) << mode << ": " << (Sink.Count() ? Sink.Last().Text : "");
        EXPECT_TRUE(Net.Modified);
        ASSERT_EQ(a, FindNode(Net, "Alpha")) << mode << ": the name item takes the name field";
        EXPECT_EQ(a->Values[0].Real(), 1234.5) << mode;
        EXPECT_EQ(a->Values[1].Real(), 7) << mode;
        for (int k = 2; k < 6; ++k) EXPECT_EQ(a->Values[size_t(k)], before[k - 2]) << mode << " attribute " << k + 1;
        EXPECT_EQ(a->Strings[0], "first zone") << mode;
        EXPECT_EQ(b->Values[0].Real(), -0.25) << mode;
        // Texts are not escaped: a quote, then a comma, end a comma-separated field.
        EXPECT_EQ(b->Strings[0], mode == 1 ? "\"quote \" inside" : "quote \" inside, comma") << mode;
        EXPECT_EQ(FindLink(Net, "AB")->Values[0].Real(), 55) << mode;
        EXPECT_EQ(FindLink(Net, "AB")->Strings[0], "Main Street") << mode;
        EXPECT_EQ(FindLink(Net, "AB")->ShapePoints.GetCount(), 3) << mode;
        EXPECT_EQ(b->X, 1000);
        EXPECT_EQ(b->Y, -250);
    }
}

namespace {
std::vector<std::pair<int32_t, int32_t>> Shape(const TLinkValues* l)
{
    std::vector<std::pair<int32_t, int32_t>> points;
    for (const TShapePoint* sp : l->ShapePoints) points.emplace_back(sp->X, sp->Y);
    return points;
}
} // namespace

// A coordinate list that names a link's shape points as they stand (what
// Extract wrote) adds nothing, however often the table is read back; any
// other list is appended after the shape points.
TEST_F(TUpdateFixture, AnExtractedShapeReadsBackWithoutDoubling)
{
    X.NodeTemplates[1].clear();
    X.NodeTemplates[2].clear();
    X.LinkTemplates[1] = "LNAME,SHAPES,COORD";
    TLinkValues* ab = FindLink(Net, "AB");
    TLinkValues* bg = FindLink(Net, "BG");
    // More shape points than a list applies.
    for (int i = 0; i < 2001; ++i) AddShapePoint(Net, 1000 - i % 700, i, bg->ShapePoints.GetCount(), AHalf(bg));
    const auto abShape = Shape(ab), bgShape = Shape(bg);
    for (int mode = 0; mode < 3; ++mode) {
        X.SeparationMode = uint8_t(mode);
        ASSERT_EQ(RunExtract(Net, Ws, View, X, Dir / "shape.txt", true, Sink).ErrorCode, 0);
        for (int pass = 0; pass < 2; ++pass) {
            const TUpdateResult r = Update(mode, Dir / "shape.txt");
            EXPECT_EQ(r.NotFound + r.RealErrors, 0) << mode;
            EXPECT_FALSE(r.CoordinatesChanged) << mode;
            EXPECT_EQ(Shape(ab), abShape) << "mode " << mode << ", pass " << pass;
            EXPECT_EQ(Shape(bg), bgShape) << "mode " << mode << ", pass " << pass;
        }
    }

    using P = std::vector<std::pair<int32_t, int32_t>>;
    // The same points in another order, or some of them, are another list.
    const TUpdateResult r = UpdateText(1, "AB,3,750,-180,500,-120,250,-60\r\nAB,1,250,-60\r\n");
    EXPECT_TRUE(r.CoordinatesChanged);
    P grown = abShape;
    grown.insert(grown.end(), {{750, -180}, {500, -120}, {250, -60}, {250, -60}});
    EXPECT_EQ(Shape(ab), grown);
    // A list with a pair outside the world is no copy of the shape either:
    // its other pairs are appended.
    TLinkValues* ag = Link(Net, FindNode(Net, "Alpha"), FindNode(Net, "Gamma"), 1, "AG");
    AddShapePoint(Net, -100, 100, 0, AHalf(ag));
    UpdateText(1, "AG,2,-100,100,600000,0\r\n");
    EXPECT_EQ(Shape(ag), (P{{-100, 100}, {-100, 100}}));
    // A list that differs from the shape on one axis only is another list:
    // the copy of the shape is matched on both.
    TLinkValues* ga = Link(Net, FindNode(Net, "Gamma"), FindNode(Net, "Alpha"), 1, "GA");
    AddShapePoint(Net, 300, 400, 0, AHalf(ga));
    AddShapePoint(Net, 500, 600, 1, AHalf(ga));
    EXPECT_TRUE(UpdateText(1, "GA,2,300,400,500,601\r\n").CoordinatesChanged);
    EXPECT_EQ(Shape(ga), (P{{300, 400}, {500, 600}, {300, 400}, {500, 601}}));
    EXPECT_FALSE(UpdateText(2, "GA\t4\t300\t400\t500\t600\t300\t400\t500\t601\r\n").CoordinatesChanged);
    EXPECT_TRUE(UpdateText(1, "GA,4,300,400,500,600,300,400,501,601\r\n").CoordinatesChanged);
    EXPECT_EQ(ga->ShapePoints.GetCount(), 8);
}

// A node moved on one axis keeps the other, with the fraction of its
// position: a later transform moves it from where it stood.
TEST_F(TUpdateFixture, OneCoordinateColumnKeepsTheOtherAxisAndItsFraction)
{
    X.NodeTemplates[2].clear();
    X.LinkTemplates[1].clear();
    TNode* b = FindNode(Net, "Beta");
    TNode* g = FindNode(Net, "Gamma");
    b->SetPosition(Net, 1000, -250, 1000.25, -250.4);
    g->SetPosition(Net, -400, 600, -400.4, 600.25);
    X.NodeTemplates[1] = "NNAME,NODEX";
    EXPECT_TRUE(UpdateText(1, "Beta,1500.5\r\n").CoordinatesChanged);
    X.NodeTemplates[1] = "NNAME,NODEY";
    EXPECT_TRUE(UpdateText(1, "Gamma,700\r\n").CoordinatesChanged);
    EXPECT_EQ(b->X, 1500);
    EXPECT_EQ(b->XF(Net), 1500.5);
    EXPECT_EQ(b->Y, -250);
    EXPECT_EQ(b->YF(Net), -250.4);
    EXPECT_EQ(g->X, -400);
    EXPECT_EQ(g->XF(Net), -400.4);
    EXPECT_EQ(g->Y, 700);
    EXPECT_EQ(g->YF(Net), 700);

    TTransformParams twice;
    twice.ScaleX = twice.ScaleY = 2;
    ASSERT_TRUE(TransformNetwork(Net, View, Ws, TransformScale, twice));
    EXPECT_EQ(b->X, 3001);
    EXPECT_EQ(b->Y, -501); // -500.8
    EXPECT_EQ(g->X, -801); // -800.8
    EXPECT_EQ(g->Y, 1400);
}

TEST_F(TUpdateFixture, ItemsThatExtractWritesOnlyTakeNoField)
{
    X.NodeTemplates[1] = "NNAME,SERIAL,AREA,POP,COU";
    auto r = UpdateText(1, "\"Alpha\",5,6\r\n");
    EXPECT_EQ(Value("Alpha", 1), 5);
    EXPECT_EQ(Value("Alpha", 2), 6);
    // "S" reads its field: the count of the pairs "}" reads.
    Node(Net, 3000, 100, 2, "Extra");
    X.NodeTemplates[2] = "NNAME,VERTICES,BLANK,COORD,PSTYLE";
    r = UpdateText(1, "Delta,1,x,3000,100,7\r\n");
    EXPECT_EQ(FindNode(Net, "Delta")->OwnPolygon().GetCount(), 4);
    EXPECT_EQ(FindNode(Net, "Delta")->PolygonStyle, 7);
    EXPECT_EQ(r.RealErrors, 0);
}

TEST_F(TUpdateFixture, ReadsUntidyTextTables)
{
    X.NodeTemplates[1] = "NNAME,POP,LAB";
    X.NodeTemplates[2] = "NNAME,VERTICES,COORD";
    X.LinkTemplates[1].clear();
    TNode* unnamed = Node(Net, 50, 50, 1, "");
    Node(Net, 3000, 100, 2, "E1");
    Node(Net, 3000, 200, 2, "E2");
    const TUpdateResult r = UpdateText(1, "\r\n"
                                          "Alpha,1,ab\"c\r\n"
                                          "   \r\n"
                                          "\"Gamma\",2,\"x,y\"z\n"
                                          ",3,\r\n"
                                          "Beta,oops,\"left\r\n"
                                          "Delta,1000000000,3000,100,3000,200\r\n"
                                          "Nobody,4\r");
    EXPECT_EQ(r.Lines, 8);
    EXPECT_EQ(Value("Alpha", 1), 1);
    EXPECT_EQ(FindNode(Net, "Alpha")->Strings[0], "ab\"c");
    EXPECT_EQ(FindNode(Net, "Gamma")->Strings[0], "\"x,y\"z");
    EXPECT_EQ(FindNode(Net, "Beta")->Strings[0], "\"left");
    EXPECT_EQ(FindNode(Net, "Delta")->OwnPolygon().GetCount(), 5) << "the pairs end with the record";
    EXPECT_EQ(unnamed->Values[0].Real(), 0) << "an empty name matches nothing";
    ASSERT_EQ(Sink.Count(), 1u);
    EXPECT_EQ(Sink.Last().Text,
              "Errors: 2 label(s) not found, first at line 5;\n\r1 real value error(s), first at line 6");
    EXPECT_EQ(Sink.Last().Caption, "Extract");
    EXPECT_EQ(Sink.Last().Flags, MB_STOP_OK);
}

// Lines ended by CR alone are lines: the errors name the lines they met.
TEST_F(TUpdateFixture, ReadsTablesWhoseLinesEndWithCR)
{
    X.NodeTemplates[1] = "NNAME,POP";
    X.NodeTemplates[2].clear();
    X.LinkTemplates[1].clear();
    const TUpdateResult r = UpdateText(1, "Alpha,1\rNobody,2\rBeta,x\r\rGamma,4\r");
    EXPECT_EQ(r.Lines, 5);
    EXPECT_EQ(Value("Alpha", 1), 1);
    EXPECT_EQ(Value("Gamma", 1), 4);
    EXPECT_EQ(Sink.Last().Text,
              "Errors: 1 label(s) not found, first at line 2;\n\r1 real value error(s), first at line 3");
}

TEST_F(TUpdateFixture, MatchesNamesPatternsAndAssumedNames)
{
    X.NodeTemplates[1] = "NNAME,POP";
    X.LinkTemplates[1] = "LNAME,SPE";
    X.NameSearch = "\"mm\"";
    X.NameReplace = "'M'";
    UpdateText(1, "G*,11\r\nA?pha,12\r\nBG,13\r\nB*,14\r\n");
    EXPECT_EQ(Value("GaMa", 1), 11) << "renamed through search and replace";
    EXPECT_EQ(Value("Alpha", 1), 12);
    EXPECT_EQ(FindLink(Net, "BG")->Values[0].Real(), 13) << "no node is named BG: the link is";
    EXPECT_EQ(Value("Beta", 1), 14);

    FindNode(Net, "GaMa")->Name = "N3";
    X.AssumeNames = 1;
    X.NodeTemplates[1] = "POP";
    X.LinkTemplates[1].clear();
    UpdateText(1, "1\r\n2\r\n3\r\n");
    EXPECT_EQ(Value("N3", 1), 3);
    EXPECT_EQ(Sink.Last().Text, "Errors: 2 label(s) not found, first at line 1");
}

TEST_F(TUpdateFixture, AppliesBuiltInItemsInTheirRanges)
{
    TNode* d = FindNode(Net, "Delta");
    TNode* extra = Node(Net, 3000, 100, 2, "Extra");
    AddVertex(Net, d, extra);
    for (int i = 1; i <= 3; ++i) Node(Net, 4000, 100 * i, 2, "P" + std::to_string(i));
    X.NodeTemplates[2] = "NNAME,PSTYLE,LAYER,FONT,VERTICES,COORD";
    UpdateText(1, "Delta,41,11,-1,4,4000,100,4000,200,9,9,4000,300\r\n");
    EXPECT_EQ(d->PolygonStyle, 4);
    EXPECT_EQ(d->Layer, 1);
    EXPECT_EQ(d->Font, 0);
    std::vector<std::string> ring;
    for (TNetworkPoint* p : d->OwnPolygon()) ring.push_back(p->AsNode()->Name);
    EXPECT_EQ(ring, (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Extra", "P3", "P2", "P1"}))
        << "appended from the last pair to the first; a pair with no node adds nothing";

    // A new class: the values and strings take its size first.
    X.NodeTemplates[2] = "NNAME,ENTITY";
    X.NodeTemplates[1] = "NNAME,ENTITY";
    UpdateText(1, "Delta,1\r\nAlpha,2\r\n");
    EXPECT_EQ(d->EntityType, 1);
    EXPECT_EQ(SlotCount(*d), 7);
    EXPECT_EQ(d->Strings.size(), 1u);
    TNode* a = FindNode(Net, "Alpha");
    EXPECT_EQ(a->EntityType, 2);
    EXPECT_EQ(SlotCount(*a), 0);
    EXPECT_TRUE(a->Strings.empty());
}

TEST_F(TUpdateFixture, APolygonUpdateSavesAndOpensAsItStands)
{
    // Delta's ring is Alpha, Beta, Gamma; the table names them again, twice
    // over, with one new vertex among them.
    TNode* extra = Node(Net, 3000, 100, 2, "Extra");
    X.NodeTemplates[2] = "NNAME,VERTICES,COORD";
    UpdateText(1, "Delta,6,0,0,0,0,1000,-250,3000,100,-400,600,3000,100\r\n");
    auto ring = [](const TNode* owner) {
        std::vector<std::string> names;
        for (const TNetworkPoint* p : owner->OwnPolygon()) names.push_back(p->AsNode()->Name);
        return names;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(ring(FindNode(Net, "Delta")), (V{"Alpha", "Beta", "Gamma", "Extra"}));
    EXPECT_EQ(Net.PolygonsOf(extra).GetCount(), 1);

    const std::string path = Dir / "ring.dta";
    ASSERT_TRUE(SaveNetworkFile(Net, Ws, path, 9, Sink).Ok);
    TNetwork back;
    TWindowSettings backWs;
    ASSERT_EQ(OpenNetworkFile(back, backWs, path, true, Sink).Status, TOpenStatus::Ok);
    EXPECT_EQ(ring(FindNode(back, "Delta")), ring(FindNode(Net, "Delta")));
}

TEST_F(TUpdateFixture, MakesNewNodesAndLinks)
{
    X.UpdateOldNew = 1;
    X.NewNodesTemplate = "NNAME,NODEX,NODEY";
    X.XTranslation = 5;
    X.YTranslation = 0;
    X.XScale = 2;
    X.YScale = 1;
    TUpdateResult r = UpdateText(1, "N1,10,20\r\nOnAlpha,-5,0\r\nN2,600000,7\r\n");
    EXPECT_EQ(r.NodesAdded, 2);
    ASSERT_TRUE(FindNode(Net, "N1"));
    EXPECT_EQ(FindNode(Net, "N1")->X, 30);
    EXPECT_EQ(FindNode(Net, "N1")->Y, 20);
    EXPECT_FALSE(FindNode(Net, "OnAlpha")) << "a point stands there";
    EXPECT_TRUE(r.CoordinatesChanged);
    EXPECT_TRUE(Net.Modified);

    X.UpdateOldNew = 2;
    X.NewLinksTemplate = "LNAME,NNAMEA,NNAMEB,SPE";
    Net.TemplateLinkValues.EntityType = 1;
    r = UpdateText(1, "L1,Alpha,G*,40\r\nL2,Alpha,Nobody,3\r\nL3,Alpha,Beta,1\r\nL4,Alpha,Alpha,1\r\n");
    EXPECT_EQ(r.LinksAdded, 1);
    TLinkValues* l1 = FindLink(Net, "L1");
    ASSERT_TRUE(l1);
    EXPECT_EQ(l1->BNode->Name, "Gamma");
    EXPECT_EQ(l1->Values[0].Real(), 40);
    EXPECT_EQ(Sink.Count(), 0u) << "links that cannot be made are not reported";
}

TEST_F(TUpdateFixture, ReadsDBaseTablesToTheirLastRecord)
{
    // Columns by item: the serials written take their columns back.
    X.NodeTemplates[1] = "NNAME,SERIAL,POP";
    X.NodeTemplates[2].clear();
    X.LinkTemplates[1] = "LNAME,SERIALA,SPE";
    X.SeparationMode = 3;
    ASSERT_EQ(RunExtract(Net, Ws, View, X, Dir / "t.dbf", true, Sink).ErrorCode, 0);
    {
        TXBase t;
        t.SetFilename(Dir / "t");
        for (int32_t r = 1; r <= t.RecordCount(); ++r) {
            t.SetRecno(r);
            t.PutField(3, std::to_string(r * 10));
            t.SetDeleted(r == 2);
            t.WriteRecord();
        }
        t.Close();
    }
    const TUpdateResult r = Update(3, Dir / "t.dbf");
    EXPECT_EQ(r.Lines, 5);
    EXPECT_EQ(Value("Beta", 1), 10);
    EXPECT_EQ(Value("Alpha", 1), 1234.5) << "a deleted record is skipped";
    EXPECT_EQ(FindLink(Net, "AB")->Values[0].Real(), 50) << "the last record is read";
}

// A string value longer than a network file keeps, from a text or a dBase
// table, is held to 30 bytes as it is stored, so a save and an open give it
// back as the window showed it.
TEST_F(TUpdateFixture, StringValuesLongerThanTheFileKeepsAreCutWhenStored)
{
    const std::string longer = "Martin Luther King Jr Drive South Side"; // 38
    const std::string held = longer.substr(0, 30);
    X.NodeTemplates[1] = "NNAME,LAB";
    X.NodeTemplates[2].clear();
    X.LinkTemplates[1] = "LNAME,STR";
    UpdateText(1, "Alpha,\"" + longer + "\"\r\nAB,\"" + longer + " and more\"\r\n");
    EXPECT_EQ(FindNode(Net, "Alpha")->Strings[0], held);
    EXPECT_EQ(FindLink(Net, "AB")->Strings[0], held);
    // A quoted field loses its quotes however long it is, in both
    // separations; the field after it reads as its own.
    X.NodeTemplates[1] = "NNAME,LAB,POP";
    for (int mode : {1, 2}) {
        for (const char quote : {'"', '\''}) {
            for (const int n : {253, 254, 300}) {
                std::string text;
                for (int i = 0; i < n; ++i) text += char('a' + i % 26);
                const char sep = mode == 1 ? ',' : '\t';
                UpdateText(mode, std::string("Alpha") + sep + quote + text + quote + sep + std::to_string(n) + "\r\n");
                EXPECT_EQ(FindNode(Net, "Alpha")->Strings[0], text.substr(0, 30)) << mode << quote << n;
                EXPECT_EQ(Value("Alpha", 1), n) << mode << quote << n;
            }
        }
    }
    X.NodeTemplates[1] = "NNAME,LAB";

    {
        // A table made elsewhere, with a text column wider than ours.
        TXBase t;
        t.SetFilename(Dir / "wide");
        t.AddField(1, "NAME", 'C', 30, 0);
        t.AddField(2, "LAB", 'C', 60, 0);
        t.CreateTable();
        t.MoveOnAppend = true;
        t.AppendBlankRecord();
        t.PutField(1, "Beta");
        t.PutField(2, longer + " of the river");
        t.WriteRecord();
        t.Close();
    }
    ASSERT_EQ(Update(3, Dir / "wide.dbf").ErrorCode, 0);
    EXPECT_EQ(FindNode(Net, "Beta")->Strings[0], held);

    const std::string path = Dir / "held.dta";
    ASSERT_TRUE(SaveNetworkFile(Net, Ws, path, 9, Sink).Ok);
    TNetwork back;
    TWindowSettings backWs;
    ASSERT_EQ(OpenNetworkFile(back, backWs, path, true, Sink).Status, TOpenStatus::Ok);
    for (const char* name : {"Alpha", "Beta"})
        EXPECT_EQ(FindNode(back, name)->Strings[0], FindNode(Net, name)->Strings[0]) << name;
    EXPECT_EQ(FindLink(back, "AB")->Strings[0], FindLink(Net, "AB")->Strings[0]);
}

TEST_F(TUpdateFixture, ReportsTablesThatCannotBeRead)
{
    TUpdateResult r = Update(1, Dir / "missing.txt");
    EXPECT_NE(r.ErrorCode, 0);
    EXPECT_FALSE(Net.Modified);
    EXPECT_EQ(Sink.Last().Text, "Valid update file not found.");
    EXPECT_EQ(Sink.Last().Caption, "Update");
    X.XScale = 0;
    r = Update(1, Dir / "missing.txt");
    EXPECT_TRUE(r.ScaleRefused);
    EXPECT_EQ(Sink.Last().Text, "Error in transform values.");
    EXPECT_EQ(Sink.Last().Caption, "Extract/Update");
    X.XScale = 1;

    // A dBase update names a table that is not there.
    X.NodeTemplates[1] = "NNAME,POP";
    Sink.Clear();
    r = Update(3, Dir / "missing.dbf");
    EXPECT_NE(r.ErrorCode, 0);
    EXPECT_FALSE(Net.Modified);
    EXPECT_EQ(Value("Alpha", 1), 1234.5);
    ASSERT_EQ(Sink.Count(), 1u);
    EXPECT_EQ(Sink.Last().Text, "Valid update file not found.");
    EXPECT_EQ(Sink.Last().Caption, "Update");

    // A table cut short says so before any record is applied.
    {
        TXBase t;
        t.SetFilename(Dir / "cut");
        t.AddField(1, "NAME", 'C', 30, 0);
        t.AddField(2, "POP", 'N', 15, 0);
        t.CreateTable();
        t.MoveOnAppend = true;
        for (const char* n : {"Alpha", "Beta", "Gamma"}) {
            t.AppendBlankRecord();
            t.PutField(1, n);
            t.PutField(2, "77");
            t.WriteRecord();
        }
        t.Close();
    }
    const std::string cut = ReadAll(Dir / "cut.dbf");
    WriteAll(Dir / "cut.dbf", cut.substr(0, cut.size() - 1 - 12));
    Sink.Clear();
    r = Update(3, Dir / "cut.dbf");
    EXPECT_NE(r.ErrorCode, 0);
    EXPECT_EQ(r.Detail, "Error Reading Header Info.");
    EXPECT_FALSE(Net.Modified);
    EXPECT_EQ(Value("Alpha", 1), 1234.5);
    EXPECT_EQ(Sink.Last().Text, "Valid update file not found.");
    // A record length past the file.
    std::string wide = cut;
    wide[10] = char(0xFF);
    wide[11] = char(0xFF);
    WriteAll(Dir / "cut.dbf", wide);
    r = Update(3, Dir / "cut.dbf");
    EXPECT_NE(r.ErrorCode, 0);
    EXPECT_FALSE(Net.Modified);

    // A memo past its file ends the update; what was applied stays, marked.
    const std::string name = Dir / "m";
    {
        TXBase t;
        t.SetFilename(name);
        t.AddField(1, "NAME", 'C', 30, 0);
        t.AddField(2, "LAB", 'M', 10, 0);
        t.CreateTable();
        t.MoveOnAppend = true;
        for (const char* n : {"Alpha", "Beta"}) {
            t.AppendBlankRecord();
            t.PutField(1, n);
            t.WriteRecord();
        }
        t.Close();
    }
    std::string dbf = ReadAll(name + ".dbf");
    dbf[0] = char(0x83);
    WriteAll(name + ".dbf", dbf);
    WriteAll(name + ".dbt", std::string("\x02\0\0\0", 4) + std::string(508, '\0') + "new label\x1A\x1A");
    // Record 1's memo is block 1; record 2's block 99 lies past the file.
    dbf.replace(97 + 31, 10, "         1");
    dbf.replace(97 + 41 + 31, 10, "        99");
    WriteAll(name + ".dbf", dbf);
    X.NodeTemplates[1] = "NNAME,LAB";
    r = Update(3, name + ".dbf");
    EXPECT_NE(r.ErrorCode, 0);
    EXPECT_EQ(FindNode(Net, "Alpha")->Strings[0], "new label");
    EXPECT_TRUE(Net.Modified);
    EXPECT_EQ(Sink.Last().Text, "Valid update file not found.");
}

namespace {
// A hundred nodes C0..C99 ten units apart in one cell, more than a cell
// list files by plain sorted inserts.
std::vector<TNode*> Crowd(TNetwork& net)
{
    std::vector<TNode*> crowd;
    for (int i = 0; i < 100; ++i)
        crowd.push_back(Node(net, 5000 + (i % 10) * 10, 5000 + (i / 10) * 10, 1, "C" + std::to_string(i)));
    return crowd;
}
} // namespace

// Nodes moved by a table keep the place they were filed at until the run
// ends: a crowded cell stays searchable for the pairs of a later polygon
// record, which find a moved node neither where it was nor where it goes.
// Then every node stands, and is found, at its new position, with the
// fraction the table gave.
TEST_F(TUpdateFixture, MovedNodesKeepTheirCellsSearchableUntilTheRunEnds)
{
    const std::vector<TNode*> crowd = Crowd(Net);
    X.NodeTemplates[1] = "NNAME,NODEX,NODEY";
    X.NodeTemplates[2] = "NNAME,VERTICES,COORD";
    X.LinkTemplates[1].clear();
    X.XScale = X.YScale = 1;
    X.XTranslation = X.YTranslation = 0;
    std::string table;
    // C0..C24 to the back of their cell, C25..C49 to another cell.
    for (int i = 0; i < 50; ++i)
        table += "C" + std::to_string(i) + "," + (i < 25 ? std::to_string(5000 + i) + ".25,5199"
                                                          : std::to_string(7000 + i) + ",7000.5") + "\r\n";
    // Pairs: C75, C0 where it was, C0 where it goes, C30 where it goes.
    table += "Delta,4,5050,5070,5000,5000,5000,5199,7030,7000.5\r\n";
    const TUpdateResult r = UpdateText(1, table);
    EXPECT_EQ(r.NotFound, 0);
    EXPECT_TRUE(r.CoordinatesChanged);

    std::vector<std::string> ring;
    for (const TNetworkPoint* p : FindNode(Net, "Delta")->OwnPolygon()) ring.push_back(p->AsNode()->Name);
    EXPECT_EQ(ring, (std::vector<std::string>{"Alpha", "Beta", "Gamma", "C75"}));

    EXPECT_EQ(crowd[0]->X, 5000);
    EXPECT_EQ(crowd[0]->Y, 5199);
    EXPECT_EQ(crowd[0]->XF(Net), 5000.25);
    EXPECT_EQ(crowd[0]->YF(Net), 5199);
    EXPECT_EQ(crowd[30]->X, 7030);
    EXPECT_EQ(crowd[30]->Y, 7000);
    EXPECT_EQ(crowd[30]->XF(Net), 7030);
    EXPECT_EQ(crowd[30]->YF(Net), 7000.5);
    EXPECT_EQ(crowd[75]->XF(Net), 5050);
    TViewRecord view;
    for (TNode* n : crowd) {
        const THashEntry* c = Net.NodeHash.FindCell(n->X, n->Y);
        ASSERT_TRUE(c);
        EXPECT_GE(c->Points.IndexOf(n), 0) << n->Name;
        TNode* found = nullptr;
        TShapePoint* sp = nullptr;
        EXPECT_TRUE(FindNearestPoint(Net, view, found, sp, false, true, n->X, n->Y));
        EXPECT_EQ(found, n) << n->Name;
    }
    for (const THashEntry* c : Net.NodeHash)
        for (int32_t i = 1; i < c->Points.GetCount(); ++i)
            EXPECT_LE(c->Points.At(i - 1)->PointKey(), c->Points.At(i)->PointKey());
}

// A shape point filed beside a crowded cell's list, at the position of a
// node that stays, while other nodes of the cell move: it merges into the
// list by the keys the nodes were filed by, so the refiled cell holds the
// node first, then the shape point, as when nothing moved.
TEST_F(TUpdateFixture, PointsWaitingBesideACellMergeByTheKeysTheCellWasFiledBy)
{
    const std::vector<TNode*> crowd = Crowd(Net);
    X.NodeTemplates[1] = "NNAME,NODEX,NODEY";
    X.LinkTemplates[1] = "LNAME,SHAPES,COORD";
    X.XScale = X.YScale = 1;
    X.XTranslation = X.YTranslation = 0;
    std::string table;
    // C26..C99 to the front of their cell.
    for (int i = 26; i < 100; ++i) table += "C" + std::to_string(i) + "," + std::to_string(4974 + i) + ",5001\r\n";
    table += "AB,1,5050,5020\r\n"; // where C25 stands
    const TUpdateResult r = UpdateText(1, table);
    EXPECT_EQ(r.NotFound, 0);
    const TLinkValues* ab = FindLink(Net, "AB");
    ASSERT_EQ(ab->ShapePoints.GetCount(), 4);
    const TShapePoint* sp = ab->ShapePoints.At(3);
    ASSERT_EQ(sp->X, 5050);
    ASSERT_EQ(sp->Y, 5020);
    const THashEntry* c = Net.NodeHash.FindCell(5050, 5020);
    EXPECT_EQ(c->Points.IndexOf(sp), c->Points.IndexOf(crowd[25]) + 1);
    EXPECT_EQ(crowd[99]->X, 5073);
    EXPECT_EQ(crowd[99]->Y, 5001);
}
