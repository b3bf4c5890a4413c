// The dBase table engine: layout of the files it writes, its errors, memos,
// record moves and what it makes of real and hostile tables.
#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>

#include "core/tables/XBase.h"
#include "tables_fixture.h"

using namespace tabletest;

namespace {

std::string Error(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EXBaseException& e) {
        return e.what();
    }
    return "";
}

// A table of a C 10, an N 15.2 and a D field with two records.
void MakeTable(const std::string& name)
{
    TXBase t;
    t.SetFilename(name);
    t.AddField(1, "NAME", 'C', 10, 0);
    t.AddField(2, "AMOUNT", 'N', 15, 2);
    t.AddField(3, "DAY", 'D', 8, 0);
    t.CreateTable();
    t.MoveOnAppend = true;
    t.AppendBlankRecord();
    t.PutField(1, "Alpha");
    t.PutField(2, "1234");
    t.PutField(3, "20030102");
    t.WriteRecord();
    t.AppendBlankRecord();
    t.PutField(1, "Beta   ");
    t.WriteRecord();
    t.Close();
}

// A header of one descriptor with the given fields changed.
std::string OneFieldTable(uint16_t headerLength, char type, uint8_t width, uint16_t recordLength, uint32_t count,
                          int records)
{
    std::string h(size_t(std::max<int>(headerLength, 65)), '\0');
    h[0] = 3;
    std::memcpy(&h[4], &count, 4);
    std::memcpy(&h[8], &headerLength, 2);
    std::memcpy(&h[10], &recordLength, 2);
    std::memcpy(&h[32], "VALUE", 5);
    h[43] = type;
    h[48] = char(width);
    h[64] = 0x0D;
    h.resize(headerLength < 65 ? 65 : headerLength);
    for (int r = 0; r < records; ++r) h += std::string(recordLength, ' ');
    return h;
}

} // namespace

TEST(XBase, WritesTheLayoutOfDBaseThreeAndReadsItBack)
{
    TTempDir dir;
    MakeTable(dir / "t.dbf");
    const std::string bytes = ReadAll(dir / "t.dbf");
    ASSERT_EQ(bytes.size(), 129u + 2 * 34 + 1);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(uint8_t(bytes[4]), 2);        // records
    EXPECT_EQ(uint8_t(bytes[8]), 129);      // header length 32 x 3 + 33
    EXPECT_EQ(uint8_t(bytes[10]), 34);      // record length
    EXPECT_EQ(bytes[128], 0x0D);
    EXPECT_EQ(uint8_t(bytes[32 + 12]), 2);  // field positions 2, 12, 27
    EXPECT_EQ(uint8_t(bytes[64 + 12]), 12);
    EXPECT_EQ(bytes.substr(129, 34), " Alpha                " + std::string("1234") + "20030102");
    EXPECT_EQ(bytes.substr(129 + 11, 15), std::string(11, ' ') + "1234");
    EXPECT_EQ(bytes.back(), 0x1A);

    // The name with and without ".dbf" open the same table.
    for (std::string name : {dir / "t", dir / "t.dbf"}) {
        TXBase t;
        t.SetFilename(name);
        ASSERT_TRUE(t.Active());
        EXPECT_EQ(t.RecordCount(), 2);
        EXPECT_EQ(t.Recno(), 1);
        EXPECT_EQ(t.GetField(1), "Alpha");
        EXPECT_EQ(t.GetField(2), "           1234");
        t.NextRecord();
        EXPECT_TRUE(t.Eof());
        EXPECT_EQ(t.GetField(1), "Beta");
        EXPECT_EQ(t.GetField(3), "");
        EXPECT_EQ(t.FieldTypeCode(2), 3);
    }
}

TEST(XBase, RaisesItsMessages)
{
    TTempDir dir;
    MakeTable(dir / "t");
    TXBase t;
    t.SetFilename(dir / "t");
    EXPECT_EQ(Error([&] { t.PutField(1, "12345678901"); }), "Data Overflow");
    EXPECT_EQ(Error([&] { t.PutField(1, "1234567890   "); }), ""); // trailing blanks go first
    EXPECT_EQ(Error([&] { t.GetField(0); }), "Invalid Field Number");
    EXPECT_EQ(Error([&] { t.PutField(4, "x"); }), "Invalid Field Number");
    EXPECT_EQ(Error([&] { t.FieldTypeCode(7); }), "Invalid Field Number: 7");
    EXPECT_EQ(Error([&] { t.SetRecno(3); }), "Record Number Out of Range");
    EXPECT_EQ(Error([&] { t.SetRecno(0); }), "Record Number Out of Range");
    t.SetActive(false);
    EXPECT_EQ(Error([&] { t.NextRecord(); }), "Data File Not Open");
    EXPECT_EQ(Error([&] { t.AppendBlankRecord(); }), "Data File Not Open");
    EXPECT_EQ(t.GetField(1), "");
    EXPECT_EQ(Error([&] { t.PutField(1, "too long for the field"); }), "");
}

TEST(XBase, CutsTheExtensionFromTheFileNameOnly)
{
    TTempDir dir;
    std::filesystem::create_directories(dir.Path / "x.y");
    MakeTable(dir / "x.y/a.b.dbf");
    EXPECT_TRUE(std::filesystem::exists(dir.Path / "x.y/a.dbf"));
    TXBase t;
    t.SetFilename(dir / "x.y/a.b.dbf");
    EXPECT_EQ(t.Filename(), dir / "x.y/a");
    EXPECT_EQ(t.RecordCount(), 2);
}

TEST(XBase, RefusesHeadersItCannotTrust)
{
    TTempDir dir;
    const std::string path = dir / "h.dbf";
    struct Case {
        const char* What;
        std::string Bytes;
    };
    std::string noTerminatorRoom = OneFieldTable(65, 'C', 4, 5, 1, 1);
    std::string manyFields(32 + 32 * 1001 + 1, '\0');
    manyFields[0] = 3;
    const uint16_t big = uint16_t(std::min<size_t>(manyFields.size(), 65535));
    std::memcpy(&manyFields[8], &big, 2);
    for (int i = 1; i <= 1001 && 32 * i + 32 <= big; ++i) {
        manyFields[size_t(32 * i)] = 'F';
        manyFields[size_t(32 * i + 11)] = 'C';
        manyFields[size_t(32 * i + 16)] = 1;
    }
    const Case refused[] = {
        {"a file shorter than a header", std::string(20, '\0')},
        {"a header length below 65", OneFieldTable(64, 'C', 4, 5, 1, 1)},
        {"a header length past the file", OneFieldTable(65, 'C', 4, 5, 1, 0).substr(0, 60) + std::string(3, ' ')},
        {"no field", [] {
             std::string t = OneFieldTable(65, 'C', 4, 5, 1, 1);
             t[32] = 0x0D;
             return t;
         }()},
        {"more than 1000 fields", manyFields},
        {"a width of 0", OneFieldTable(65, 'C', 0, 5, 1, 1)},
        {"a type outside C D N F L M", OneFieldTable(65, 'T', 4, 5, 1, 1)},
        {"widths past the record length", OneFieldTable(65, 'C', 9, 5, 1, 1)},
        {"a record cut short", OneFieldTable(65, 'C', 4, 5, 3, 3).substr(0, 65 + 15 - 2)},
        {"a count past the records", OneFieldTable(65, 'C', 4, 5, 1000000, 3)},
        {"a record length past the file", OneFieldTable(65, 'C', 4, 65535, 1, 0) + std::string(100, ' ')},
    };
    for (const Case& c : refused) {
        WriteAll(path, c.Bytes);
        TXBase t;
        EXPECT_EQ(Error([&] { t.SetFilename(path); }), "Error Reading Header Info.") << c.What;
        EXPECT_FALSE(t.Active()) << c.What;
    }

    // Only dBase III version bytes are taken: 3, and 0x83 and 0x84 with memos.
    for (int version : {0x02, 0x04, 0x30, 0x31, 0x43, 0x8B, 0xCB, 0xF5}) {
        std::string t = OneFieldTable(65, 'C', 4, 5, 1, 1);
        t[0] = char(version);
        WriteAll(path, t);
        TXBase table;
        EXPECT_EQ(Error([&] { table.SetFilename(path); }), "Error Reading Header Info.") << version;
    }
    for (int version : {0x03, 0x83, 0x84}) {
        std::string t = OneFieldTable(65, 'C', 4, 5, 1, 1);
        t[0] = char(version);
        WriteAll(path, t);
        TXBase table;
        table.SetFilename(path);
        EXPECT_EQ(table.RecordCount(), 1) << version;
    }

    // Read: F as N, no terminator within the header, bytes past the records.
    WriteAll(path, noTerminatorRoom);
    {
        TXBase t;
        t.SetFilename(path);
        EXPECT_EQ(t.FieldCount(), 1);
    }
    std::string f = OneFieldTable(65, 'F', 4, 5, 2, 3);
    f[64] = '\n';
    WriteAll(path, f + "  12");
    TXBase t;
    t.SetFilename(path);
    EXPECT_EQ(t.Field(1).Type, 'N');
    EXPECT_EQ(t.RecordCount(), 2) << "the count of the header, not of the file";
}

TEST(XBase, StoresMemosInBlocksAndReadsThemBack)
{
    TTempDir dir;
    const std::string name = dir / "m";
    {
        TXBase t;
        t.SetFilename(name);
        t.AddField(1, "ID", 'N', 4, 0);
        t.AddField(2, "TEXT", 'M', 10, 0);
        t.CreateTable();
    }
    // A memo table: version 0x83 and an empty memo file.
    std::string dbf = ReadAll(name + ".dbf");
    dbf[0] = char(0x83);
    WriteAll(name + ".dbf", dbf);
    std::string dbt(512, '\0');
    dbt[0] = 1;
    WriteAll(name + ".dbt", dbt);

    const std::string long600(600, 'L'), edge511(511, 'E');
    {
        TXBase t;
        t.SetFilename(name);
        t.MoveOnAppend = true;
        for (const std::string* text : {&long600, &edge511}) {
            t.AppendBlankRecord();
            t.PutField(2, *text);
            t.WriteRecord();
        }
        t.AppendBlankRecord();
        t.PutField(2, std::string("cr\x8D") + "lf");
        t.WriteRecord();
        EXPECT_EQ(t.GetField(2), "cr\rlf");
        t.Close();
    }
    TXBase t;
    t.SetFilename(name);
    EXPECT_EQ(t.GetField(2), long600);
    EXPECT_EQ(t.Field(2).Width, 10);
    t.NextRecord();
    EXPECT_EQ(t.GetField(2), edge511) << "a 511-character memo ends at its own terminator";
    const std::string memo = ReadAll(name + ".dbt");
    EXPECT_EQ(uint8_t(memo[0]), 6) << "600 characters take two blocks, 511 two more, the last one";
    EXPECT_EQ(memo.substr(3 * 512, 511), edge511);

    // Without its memo file the table opens; memo reads fail.
    t.Close();
    std::filesystem::remove(name + ".dbt");
    t.SetFilename(name);
    ASSERT_TRUE(t.Active());
    EXPECT_EQ(t.GetField(1), "");
    EXPECT_EQ(Error([&] { t.GetField(2); }), "Error Reading Memo Record");
}

TEST(XBase, AMemoBlockNumberPastTheMemoFileIsAnError)
{
    TTempDir dir;
    const std::string name = dir / "b";
    {
        TXBase t;
        t.SetFilename(name);
        t.AddField(1, "TEXT", 'M', 24, 0);
        t.CreateTable();
        t.MoveOnAppend = true;
        for (int i = 0; i < 4; ++i) {
            t.AppendBlankRecord();
            t.WriteRecord();
        }
        t.Close();
    }
    std::string dbf = ReadAll(name + ".dbf");
    dbf[0] = char(0x83);
    // 2^64 + 1 would wrap to block 1, and 2^63 / 512 past a file offset.
    const char* blocks[] = {"1", "18446744073709551617", "18014398509481985", "3"};
    for (int r = 0; r < 4; ++r) {
        const std::string b = blocks[r];
        dbf.replace(size_t(65 + 25 * r + 1), 24, std::string(24 - b.size(), ' ') + b);
    }
    WriteAll(name + ".dbf", dbf);
    WriteAll(name + ".dbt", std::string("\x03\0\0\0", 4) + std::string(508, '\0') + "first\x1A\x1A" +
                                std::string(505, '\0') + "second\x1A\x1A");
    TXBase t;
    t.SetFilename(name);
    EXPECT_EQ(t.GetField(1), "first");
    for (int32_t r : {2, 3, 4}) {
        t.SetRecno(r);
        EXPECT_EQ(Error([&] { t.GetField(1); }), "Error Reading Memo Record") << blocks[r - 1];
    }
}

TEST(XBase, MovesSkipDeletedRecordsAndAskItsEvents)
{
    TTempDir dir;
    const std::string name = dir / "d";
    int appended = 0;
    {
        TXBase t;
        t.SetFilename(name);
        t.AddField(1, "N", 'C', 3, 0);
        t.CreateTable();
        t.MoveOnAppend = true;
        t.OnAppended = [&](TXBase&) { ++appended; };
        for (const char* v : {"a", "b", "c", "d"}) {
            t.AppendBlankRecord();
            t.PutField(1, v);
            t.SetDeleted(std::string(v) != "a" && std::string(v) != "b");
            t.WriteRecord();
        }
        t.OnDeleting = [](TXBase&, bool& allow) { allow = false; };
        t.SetRecno(2);
        t.SetDeleted(true);
        EXPECT_FALSE(t.Deleted()) << "OnDeleting refused";
        t.Close();
    }
    EXPECT_EQ(appended, 4);
    TXBase t;
    t.SetFilename(name);
    t.SkipDeleted = true;
    t.NextRecord();
    EXPECT_EQ(t.Recno(), 2);
    t.NextRecord();
    EXPECT_EQ(t.Recno(), 4) << "stops on the last record";
    t.NextRecord();
    EXPECT_EQ(t.Recno(), 4);
    t.LastRecord();
    EXPECT_EQ(t.Recno(), 2);
    t.OnChanging = [](TXBase&, bool& allow) { allow = false; };
    t.SetRecno(1);
    EXPECT_EQ(t.Recno(), 2) << "OnChanging refused the move";
}

TEST(XBase, ReadsRealTablesAndRefusesOthers)
{
    const std::string data = std::string(TARVEX_SHARED_DATA) + "/shp/";
    if (!std::filesystem::is_directory(data)) GTEST_SKIP() << "the public dBase tables are not at " << data;
    // FoxBase, Visual FoxPro (two of them) and dBase IV.
    for (const char* refused : {"dbase/dbase_02", "dbase/dbase_30", "dbase/cp1251", "dbase/dbase_8b"}) {
        TXBase t;
        EXPECT_EQ(Error([&] { t.SetFilename(data + refused); }), "Error Reading Header Info.") << refused;
    }
    TXBase t;
    t.SetFilename(data + "dbase/dbase_03");
    EXPECT_EQ(t.RecordCount(), 14);
    EXPECT_EQ(t.FieldCount(), 31);
    EXPECT_EQ(t.Field(31).Name, "Point_ID");
    EXPECT_EQ(t.GetField(1), "0507121");

    t.SetFilename(data + "shplib/3dpoints.dbf"); // no 0x0D after its descriptor
    EXPECT_EQ(t.FieldCount(), 1);
    EXPECT_EQ(t.RecordCount(), 22);

    t.SetFilename(data + "dbase/dbase_83");
    EXPECT_EQ(t.GetField(12).substr(0, 23), "Our Original assortment");
    EXPECT_EQ(t.GetField(14), "T");
    t.SetFilename(data + "dbase/dbase_83_missing_memo");
    EXPECT_EQ(Error([&] { t.GetField(12); }), "Error Reading Memo Record");
}
