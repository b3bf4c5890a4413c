// User trip tables: the messages of every way a table can go wrong, with the
// table, row or column they name; numbers and names as the reader takes
// them; a file of names without values; the Sioux Falls trips read as a
// user trip table, through the reader and through the trip-table driver.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

#include "../analysis/analysis_networks.h"
#include "../net_window.h"
#include "core/file/LegacyText.h"
#include "core/file/TripTable.h"
#include "core/model/Messages.h"

using namespace analysistest;

namespace {

// Nodes A, B, C, 1, 2, 3 and a deleted D.
struct TTripNetwork : TNetWindow {
    TTripNetwork()
    {
        int x = 0;
        for (const char* name : {"A", "B", "C", "1", "2", "3", "D"}) Node(*this, x += 100, 50, 0, name);
        FindNodeByName(*this, "D", nullptr)->Active = 0;
    }
};

std::string Shortest(double v)
{
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string Read(const TNetwork& net, const std::string& text, TTripTableResult* out = nullptr)
{
    TTripTableResult r = ReadTripTable(text, net);
    EXPECT_EQ(r.Ok, r.Tables != nullptr) << text;
    if (out) *out = r;
    return r.Status;
}

const std::string Head = "A\r\nB\r\nEND OF ROWS\r\n1\r\n2\r\n3\r\nEND OF COLUMNS\r\n";

std::string Driver(const std::string& args, int* status)
{
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::string out;
    FILE* p = popen(((dir / "trip-table").string() + " " + args + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    *status = WEXITSTATUS(pclose(p));
    return out;
}

} // namespace

TEST(TripTable, EveryErrorNamesItsTableAndPlace)
{
    TTripNetwork net;
    const std::string unknown = "Unknown name in user trip table! Table is ";
    const std::string cut = "Unexpected end of user trip table! Table is ";
    const std::string numbers = "Unable to read numbers in user trip table! Table is ";
    const std::string good = Head + "1 2 3\r\n4 5 6\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"A\nB\nX\nEND OF ROWS\n", unknown + "1; Row is 3"},
        {"A\nEND OF ROWS\n1\nZZ\nEND OF COLUMNS\n", unknown + "1; Column is 2"},
        {"D\nEND OF ROWS\n1\nEND OF COLUMNS\n5\n", unknown + "1; Row is 1"}, // deleted
        {"A\nB\n", cut + "1; Row is 3"},
        {"A\nEND OF ROWS\n", cut + "1; Column is 1"},
        {"A\nEND OF ROWS\n1\n2", cut + "1; Column is 3"},
        {Head + "1 2 3\r\n4 5", cut + "1; Row is 2"},
        {"A\nEND OF TABLES\n", "Unexpected END OF TABLES in user trip table! Table is 1; Row is 2"},
        {Head + "1 2 3\nEND OF TABLES\n", "Unexpected END OF TABLES in user trip table! Table is 1; Row is 2"},
        {"A\nB\nEND OF COLUMNS\n", "Unexpected END OF COLUMNS in user trip table! Table is 1; Row is 3"},
        {"A\nEND OF ROWS\n1\nEND OF ROWS\n", "Unexpected END OF ROWS in user trip table! Table is 1; Column is 2"},
        {"END OF ROWS\n1\nEND OF COLUMNS\n", "Zero rows or zero columns in a trip table! Table is 1"},
        {"A\nEND OF ROWS\nEND OF COLUMNS\n", "Zero rows or zero columns in a trip table! Table is 1"},
        {Head + "1 2 3\n4 1e3 6\n", numbers + "1; Row is 2"},
        {Head + "1 2 1.2.3\n", numbers + "1; Row is 1"},
        {Head + "1 2 1E999\n", numbers + "1; Row is 1"},
        {Head + "1 2;3\n", numbers + "1; Row is 1"},
        {Head + std::string("1 2\0 3\n", 7), numbers + "1; Row is 1"},
        {good + "A\nEND OF ROWS\n1\nEND OF COLUMNS\nx\n", numbers + "2; Row is 1"},
        {good + good + "Q\n", unknown + "3; Row is 1"},
    };
    for (const auto& [text, status] : cases) {
        TTripTableResult r;
        EXPECT_EQ(Read(net, text, &r), status) << text;
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Tables, nullptr);
    }
}

TEST(TripTable, NumbersNamesAndLineEnds)
{
    TTripNetwork net;
    TTripTableResult r;
    // LF, CRLF and CR; blank lines between names and tables; values across lines.
    const std::string text = "A\r\n\r\nB  \nEND OF ROWS\r1\n2\n3\nEND OF COLUMNS extra\n"
                             "12. +1E3,-.5\t\n\n7 0 1.25E-2 trailing words\n"
                             "\n\nC*\nEND OF ROWS\n?\nEND OF COLUMNS\n4\nEND OF TABLES\nnot read";
    ASSERT_EQ(Read(net, text, &r), "Table loaded.");
    ASSERT_EQ(r.Tables->Tables.size(), 2u);
    const TDesireTable& t = r.Tables->Tables[0];
    EXPECT_EQ(t.Rows[1]->Name, "B");
    EXPECT_EQ(t.Columns[2]->Name, "3");
    EXPECT_EQ(t.Values, (std::vector<double>{12, 1000, -0.5, 7, 0, 0.0125}));
    EXPECT_EQ(r.Tables->Tables[1].Rows[0]->Name, "C");    // a final '*' matches any ending
    EXPECT_EQ(r.Tables->Tables[1].Columns[0]->Name, "A"); // '?' the first one-letter name
    EXPECT_TRUE(r.Tables->BelongTo(net));

    // A name is its first 30 characters, trailing blanks cut: a long line naming A.
    EXPECT_EQ(Read(net, "A" + std::string(29, ' ') + std::string(100000, 'x') + "\nEND OF ROWS\nB\nEND OF COLUMNS\n9\n"),
              "Table loaded.");
    // Nothing, or END OF TABLES first: no tables at all.
    for (const char* empty : {"", "\r\n\r\n", "END OF TABLES\r\nA\r\n"}) {
        ASSERT_EQ(Read(net, empty, &r), "Table loaded.");
        EXPECT_TRUE(r.Tables->Tables.empty());
    }
    // The network freed since: the tables stand for nothing.
    ASSERT_EQ(Read(net, Head + "1 2 3 4 5 6", &r), "Table loaded.");
    FreeNetwork(net);
    EXPECT_FALSE(r.Tables->BelongTo(net));
}

TEST(TripTable, NamesWithoutValuesAllocateNothingForThem)
{
    // 100,000 rows and 100,000 columns would be ten billion values.
    TNetWindow net;
    Node(net, 0, 0, 0, "A");
    std::string names;
    for (int i = 0; i < 100000; ++i) names += "A\n";
    const std::string text = names + "END OF ROWS\n" + names + "END OF COLUMNS\n1 2 3\n";
    EXPECT_EQ(Read(net, text), "Unexpected end of user trip table! Table is 1; Row is 1");
}

TEST(TripTable, ManySmallTablesFromAFileAreReadWithoutCopyingIt)
{
    // Each table's room is bounded by what is left of the file, never by a
    // copy of the whole file (a copy per table made many small tables
    // quadratic). The file is larger than one read block.
    TTripNetwork net;
    std::string text;
    const int count = 2000;
    for (int i = 0; i < count; ++i)
        text += std::string(i % 2 ? "B" : "A") + "\r\nEND OF ROWS\r\n" + std::to_string(i % 3 + 1) +
                "\r\nEND OF COLUMNS\r\n" + std::to_string(i) + ".\r\n\r\n";
    text += std::string(1200000, ' ') + "\r\nEND OF TABLES\r\n";
    const std::string path = ::testing::TempDir() + "many-small-trip-tables.txt";
    { std::ofstream(path, std::ios::binary) << text; }

    TTextReader in;
    std::string error;
    ASSERT_TRUE(in.LoadFile(path, error)) << error;
    const TTripTableResult r = ReadTripTable(in, net);
    EXPECT_EQ(in.WholeCopies(), 0u);
    ASSERT_TRUE(r.Ok) << r.Status;
    ASSERT_EQ(r.Tables->Tables.size(), size_t(count));
    for (int i : {0, 1, 2, count - 1}) {
        const TDesireTable& t = r.Tables->Tables[size_t(i)];
        ASSERT_EQ(t.Values.size(), 1u);
        EXPECT_EQ(t.Value(0, 0), i);
        EXPECT_EQ(t.Rows.at(0)->Name, i % 2 ? "B" : "A");
        EXPECT_EQ(t.Columns.at(0)->Name, std::to_string(i % 3 + 1));
    }
    // The same tables as from the bytes in memory and through the loader.
    for (const TTripTableResult& other : {ReadTripTable(text, net), LoadTripTable(path, net)}) {
        ASSERT_TRUE(other.Ok) << other.Status;
        ASSERT_EQ(other.Tables->Tables.size(), size_t(count));
        for (int i = 0; i < count; ++i) {
            const TDesireTable &a = r.Tables->Tables[size_t(i)], &b = other.Tables->Tables[size_t(i)];
            EXPECT_TRUE(a.Rows == b.Rows && a.Columns == b.Columns && a.Values == b.Values) << i;
        }
    }
    std::filesystem::remove(path);
}

TEST(TripTable, SiouxFallsTripsAsAUserTripTable)
{
    const std::string netFile = SharedData("tntp/SiouxFalls/SiouxFalls_net.tntp");
    const std::string tripsFile = SharedData("tntp/SiouxFalls/SiouxFalls_trips.tntp");
    if (!Exists(netFile) || !Exists(tripsFile)) GTEST_SKIP() << "Sioux Falls is not in " << netFile;
    TNetWindow net;
    LoadTntp(net, netFile, SharedData("tntp/SiouxFalls/SiouxFalls_node.tntp"));
    // The trips as rows 1..24, columns 1..24 and their values, a row a line.
    std::ifstream in(tripsFile);
    std::vector<std::vector<double>> trips(25, std::vector<double>(25, 0.0));
    std::string line;
    int origin = 0;
    double total = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Origin", 0) == 0) origin = std::stoi(line.substr(6));
        if (origin < 1 || line.find(':') == std::string::npos) continue;
        std::replace(line.begin(), line.end(), ':', ' ');
        std::replace(line.begin(), line.end(), ';', ' ');
        std::istringstream cells(line);
        int d;
        double v;
        while (cells >> d >> v) trips[size_t(origin)][size_t(d)] = v, total += v;
    }
    ASSERT_EQ(total, 360600);
    std::string names, values;
    for (int i = 1; i <= 24; ++i) {
        names += std::to_string(i) + "\r\n";
        for (int j = 1; j <= 24; ++j) values += Shortest(trips[size_t(i)][size_t(j)]) + (j < 24 ? "\t" : "\r\n");
    }
    const std::string table = names + "END OF ROWS\r\n" + names + "END OF COLUMNS\r\n" + values + "END OF TABLES\r\n";

    TTripTableResult r;
    ASSERT_EQ(Read(net, table, &r), "Table loaded.");
    const TDesireTable& t = r.Tables->Tables.at(0);
    EXPECT_EQ(t.Values.size(), 576u);
    EXPECT_EQ(std::accumulate(t.Values.begin(), t.Values.end(), 0.0), 360600);
    EXPECT_EQ(t.Value(0, 9), 1300); // 1 -> 10
    EXPECT_EQ(t.Rows[9]->Name, "10");

    // The driver on the saved network: status, the table, 576 cells.
    const std::string dir = ::testing::TempDir();
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, dir + "siouxfalls-trips.dta", 9, sink).Ok);
    { std::ofstream(dir + "siouxfalls-trips.txt", std::ios::binary) << table; }
    int status = -1;
    std::istringstream out(Driver(dir + "siouxfalls-trips.dta " + dir + "siouxfalls-trips.txt", &status));
    EXPECT_EQ(status, 0);
    std::getline(out, line);
    EXPECT_EQ(line, "status Table loaded.");
    std::getline(out, line);
    EXPECT_EQ(line, "table 1 rows 24 columns 24");
    int cells = 0;
    double sum = 0;
    while (std::getline(out, line)) {
        std::istringstream c(line);
        std::string word;
        int tab, row, col, rs, cs;
        double v;
        ASSERT_TRUE(c >> word >> tab >> row >> col >> rs >> cs >> v) << line;
        ++cells, sum += v;
    }
    EXPECT_EQ(cells, 576);
    EXPECT_EQ(sum, 360600);
    // A table that fails: its status, and exit status 1.
    { std::ofstream(dir + "bad-trips.txt", std::ios::binary) << "1\r\nEND OF ROWS\r\n"; }
    EXPECT_EQ(Driver(dir + "siouxfalls-trips.dta " + dir + "bad-trips.txt", &status),
              "status Unexpected end of user trip table! Table is 1; Column is 1\n");
    EXPECT_EQ(status, 1);
}
