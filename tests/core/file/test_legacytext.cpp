#include "core/file/LegacyText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace {

std::string ReadWhole(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::filesystem::path TempDir()
{
    auto dir = std::filesystem::temp_directory_path() /
               ("tarvex-legacytext-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

TEST(LegacyText, NumbersSkipBlanksAndLineEndsInBothStyles)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        std::string text = std::string("  12 -7") + eol + eol + "\t 2.00000000000000E+0004 -1.5E-0003 +3 .5 5." + eol;
        TTextReader r(text);
        EXPECT_EQ(r.ReadInt(), 12);
        EXPECT_EQ(r.ReadInt(), -7);
        EXPECT_DOUBLE_EQ(r.ReadReal(), 20000.0);
        EXPECT_DOUBLE_EQ(r.ReadReal(), -0.0015);
        EXPECT_DOUBLE_EQ(r.ReadReal(), 3.0);
        EXPECT_DOUBLE_EQ(r.ReadReal(), 0.5);
        EXPECT_DOUBLE_EQ(r.ReadReal(), 5.0);
        EXPECT_TRUE(r.Eoln());
        r.ReadLn();
        EXPECT_TRUE(r.Eof());
        EXPECT_THROW(r.ReadInt(), TFileReadError);
    }
}

TEST(LegacyText, MalformedNumbersAreErrors)
{
    for (const char* bad : {"nan", "inf", "-inf", "0x10", "1e", "1.2.3", "12abc", "--1", "+", ".", "1e99999"}) {
        TTextReader r(std::string(bad) + "\r\n");
        EXPECT_THROW(r.ReadReal(), TFileReadError) << bad;
        double v;
        EXPECT_FALSE(ParseReal(bad, v)) << bad;
    }
    for (const char* bad : {"1.0", "2147483648", "-2147483649", "$1F", "1e3"}) {
        TTextReader r(bad);
        EXPECT_THROW(r.ReadInt(), TFileReadError) << bad;
    }
    TTextReader r("-2147483648 9223372036854775807");
    EXPECT_EQ(r.ReadInt(), INT32_MIN);
    EXPECT_EQ(r.ReadInt64(), INT64_MAX);
    // The same with more of the file behind them, where numbers take the short way.
    const std::string tail(40, ' ');
    for (const char* bad : {"1.0", "2147483648", "-2147483649", "$1F", "1e3", "12x", "99999999999999999999", "-", "+"}) {
        TTextReader t(std::string(bad) + tail + "7");
        EXPECT_THROW(t.ReadInt(), TFileReadError) << bad;
    }
    for (const char* bad : {"nan", "inf", "-inf", "0x10", "1e", "1.2.3", "--1", ".", ".e5", "1e99999"}) {
        TTextReader t(std::string(bad) + tail + "7");
        EXPECT_THROW(t.ReadReal(), TFileReadError) << bad;
    }
    TTextReader big("-2147483648 9223372036854775807 -9223372036854775808 +15 123456789012345678 -.5 1e-400" + tail);
    EXPECT_EQ(big.ReadInt(), INT32_MIN);
    EXPECT_EQ(big.ReadInt64(), INT64_MAX);
    EXPECT_EQ(big.ReadInt64(), INT64_MIN);
    EXPECT_EQ(big.ReadInt(), 15);
    EXPECT_EQ(big.ReadInt64(), 123456789012345678);
    EXPECT_EQ(big.ReadReal(), -0.5);
    EXPECT_EQ(big.ReadReal(), 0.0);

    double v = 1;
    EXPECT_TRUE(ParseReal("  1e-400 \r", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(ParseReal("0.0000000000000000000000000000000000000000000000000001", v));
    EXPECT_DOUBLE_EQ(v, 1e-52);
    EXPECT_FALSE(ParseReal("", v));
    EXPECT_FALSE(ParseReal("5 6", v));
    int32_t i;
    EXPECT_TRUE(ParseInt(" -42\r\n", i));
    EXPECT_EQ(i, -42);
}

TEST(LegacyText, FixedWidthTextsStopAtTheLineEnd)
{
    TTextReader r("Name of class\r\nAB\nxyz");
    EXPECT_EQ(r.ReadText(30), "Name of class"); // short line: no CR in the value
    EXPECT_EQ(r.ReadChar(), ' ');                // at a line end nothing is consumed
    EXPECT_TRUE(r.Eoln());
    r.ReadLn();
    EXPECT_EQ(r.ReadText(1), "A");
    EXPECT_EQ(r.ReadLine(), "B");
    EXPECT_EQ(r.LineNumber(), 3u);
    EXPECT_EQ(r.ReadLine(), "xyz"); // last line without a line end
    EXPECT_TRUE(r.Eof());
    EXPECT_THROW(r.ReadLine(), TFileReadError);
    EXPECT_THROW(r.ReadText(3), TFileReadError);
    EXPECT_THROW(r.ReadChar(), TFileReadError);
    std::string line;
    EXPECT_FALSE(r.TryReadLine(line));
    r.ReadLn(); // harmless at the end

    TTextReader blanks(" \r\n \t\r\n");
    EXPECT_TRUE(blanks.SeekEof());
}

// The line a message names is the line the read position stands on, with
// lines ended by CR LF, by LF or by CR alone: after a line end it is the
// next line, also at the end of the file; on a token, the token's line.
TEST(LegacyText, LineNumbersCountEveryKindOfLineEnd)
{
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        const std::string text = "first\r\n" "12 x\r\n" "\r\n" "last\r\n";
        std::string bytes;
        for (size_t i = 0; i < text.size(); ++i)
            if (text.compare(i, 2, "\r\n") == 0) {
                bytes += end;
                ++i;
            } else {
                bytes += text[i];
            }
        const char* style = end == "\r" ? "CR" : end == "\n" ? "LF" : "CR LF";
        TTextReader r(bytes);
        EXPECT_EQ(r.LineNumber(), 1u) << style;
        EXPECT_EQ(r.ReadLine(), "first") << style;
        EXPECT_EQ(r.LineNumber(), 2u) << style;
        EXPECT_EQ(r.ReadInt(), 12) << style;
        try {
            r.ReadInt();
            ADD_FAILURE() << style << ": x read as a number";
        } catch (const TFileReadError& e) {
            EXPECT_EQ(std::string(e.what()), "malformed integer at line 2") << style;
        }
        r.ReadLn();
        EXPECT_EQ(r.LineNumber(), 3u) << style;
        r.ReadLn();
        EXPECT_EQ(r.LineNumber(), 4u) << style;
        EXPECT_EQ(r.ReadLine(), "last") << style;
        EXPECT_EQ(r.LineNumber(), 5u) << style;
        try {
            r.ReadInt();
            ADD_FAILURE() << style << ": a number past the end";
        } catch (const TFileReadError& e) {
            EXPECT_EQ(std::string(e.what()), "unexpected end of file reading an integer at line 5") << style;
        }
    }
}

TEST(LegacyText, RealsAreWrittenInTheWidth23Form)
{
    struct Case {
        double v;
        const char* text;
    } cases[] = {
        {20000.0, " 2.00000000000000E+0004"},
        {-0.5, "-5.00000000000000E-0001"},
        {0.0, " 0.00000000000000E+0000"},
        {-0.0, " 0.00000000000000E+0000"},
        {1e300, " 1.00000000000000E+0300"},
        {4.9406564584124654e-324, " 4.94065645841247E-0324"},
        {123456789.123456789, " 1.23456789123457E+0008"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Real23Text(c.v), c.text);
        double back;
        ASSERT_TRUE(ParseReal(c.text, back));
        EXPECT_NEAR(back, c.v, std::abs(c.v) * 1e-14);
    }
    EXPECT_EQ(Real23Text(std::numeric_limits<double>::quiet_NaN()), "");

    TTextWriter w;
    w.WriteInt(-12);
    w.WriteChar(' ');
    w.WriteReal(1.5);
    EXPECT_THROW(w.WriteReal(std::numeric_limits<double>::infinity()), TFileWriteError);
    EXPECT_FALSE(w.Failed()); // a value that cannot be written is not a disk failure
    w.WriteLn();
    w.WritePadded("Line1\r\nLine2", 14);
    w.WriteChar('|');
    w.WritePadded("toolongforthefield", 4);
    w.WriteLine("a\nb");
    EXPECT_EQ(w.Text(), "-12  1.50000000000000E+0000\r\nLine1  Line2  |toola b\r\n");
}

TEST(LegacyText, AtomicSaveKeepsTheOldFileUntilCommit)
{
    auto dir = TempDir();
    auto target = dir / "net.dta";
    {
        std::ofstream(target, std::ios::binary) << "old contents";
    }

    TTextWriter w;
    std::string error;
    ASSERT_TRUE(w.BeginFile(target.string(), error)) << error;
    for (int i = 0; i < 300000; ++i) { // more than one flush
        w.WriteInt(i);
        w.WriteLn();
    }
    EXPECT_EQ(ReadWhole(target), "old contents");
    w.Abandon();
    EXPECT_EQ(ReadWhole(target), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    ASSERT_TRUE(w.BeginFile(target.string(), error)) << error;
    w.WriteLine("ZOK 1.09");
    ASSERT_TRUE(w.Commit(error)) << error;
    EXPECT_EQ(ReadWhole(target), "ZOK 1.09\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    // A folder that does not exist: refused, nothing created.
    EXPECT_FALSE(AtomicWriteFile((dir / "missing" / "x.dta").string(), "abc", error));
    EXPECT_FALSE(error.empty());
    // A folder in the way of the target.
    std::filesystem::create_directory(dir / "sub.dta");
    EXPECT_FALSE(AtomicWriteFile((dir / "sub.dta").string(), "abc", error));

    ASSERT_TRUE(AtomicWriteFile(target.string(), "new\r\n", error)) << error;
    TTextReader r;
    ASSERT_TRUE(r.LoadFile(target.string(), error));
    EXPECT_EQ(r.ReadLine(), "new");
    EXPECT_FALSE(r.LoadFile((dir / "none").string(), error));
    std::filesystem::remove_all(dir);
}

// A file many times the reader's window: numbers, fields and lines that
// straddle the blocks, a line longer than the window, every kind of line end;
// each comes back whole, positions count from the file's start, and an error
// near the end names its true line.
TEST(LegacyText, AFileLargerThanTheWindowReadsWhole)
{
    const auto dir = TempDir();
    const auto path = dir / "big.dta";
    std::string text;
    std::vector<size_t> lineStart;
    const char* ends[3] = {"\r\n", "\n", "\r"};
    const int lines = 300000;
    for (int i = 0; i < lines; ++i) {
        lineStart.push_back(text.size());
        text += std::to_string(i) + " " + Real23Text(i * 0.5) + " " + std::string(size_t(i % 97), char('a' + i % 26));
        text += ends[i % 3];
        if (i == lines / 2) {
            lineStart.push_back(text.size());
            text += std::string(9 << 20, 'L') + "\r\n"; // longer than the window
        }
    }
    text += "7 x\r\n";
    std::ofstream(path, std::ios::binary) << text;

    TTextReader r;
    std::string error;
    ASSERT_TRUE(r.LoadFile(path.string(), error)) << error;
    int line = 0;
    for (int i = 0; i < lines; ++i, ++line) {
        ASSERT_EQ(r.Position(), lineStart[size_t(line)]) << i;
        ASSERT_EQ(r.Remaining(), text.size() - lineStart[size_t(line)]);
        ASSERT_EQ(r.ReadInt(), i);
        ASSERT_EQ(r.ReadReal(), i * 0.5);
        ASSERT_EQ(r.ReadChar(), ' ');
        if (i % 2) {
            ASSERT_EQ(r.ReadTextView(200), std::string(size_t(i % 97), char('a' + i % 26))) << i;
            r.ReadLn();
        } else {
            ASSERT_EQ(r.ReadLineView(), std::string(size_t(i % 97), char('a' + i % 26))) << i;
        }
        if (i == lines / 2) {
            ++line;
            const std::string_view longLine = r.ReadLineView();
            ASSERT_EQ(longLine.size(), size_t(9 << 20));
            ASSERT_EQ(longLine.find_first_not_of('L'), std::string_view::npos);
        }
    }
    EXPECT_EQ(r.ReadInt(), 7);
    try {
        r.ReadInt();
        ADD_FAILURE() << "a malformed number was read";
    } catch (const TFileReadError& e) {
        EXPECT_NE(std::string(e.what()).find("line " + std::to_string(lines + 2)), std::string::npos) << e.what();
    }
    EXPECT_EQ(r.Bytes(), text); // the whole file, though the window has passed it
    std::filesystem::remove_all(dir);
}

// A record line read in one step reads as the steps it stands for: the same
// numbers and the same position after it; a line it does not take is left
// unread, for the steps.
TEST(LegacyText, RecordLinesInOneStepReadAsTheirSteps)
{
    const std::vector<std::string> intLines = {
        "1 2 3", "1\t2  3  ", "-2147483648 2147483647 0", "+5 -0 007", "12345678 123456789 1234567890",
        "99999999 100000000 -99999999", "00000000001 2 3", "000000000001 2 3", "2147483648 1 1", "1 2",
        "1 2 x", "1 2 3 x", "1 2 3\f", "1 - 3", "1-2 3", "1 2+3", "1 2 3abc", "", "   "};
    for (const char* eol : {"\r\n", "\n", "\r"})
        for (const std::string& line : intLines) {
            const std::string text = line + eol + "4 5 6" + eol + "7" + eol;
            TTextReader fast(text), steps(text);
            int32_t v[3] = {-1, -1, -1};
            if (!fast.TryReadIntLine(v, 3)) {
                EXPECT_EQ(fast.Position(), 0u) << line;
                continue;
            }
            for (int32_t x : v) EXPECT_EQ(x, steps.ReadInt()) << line;
            steps.ReadLn();
            EXPECT_EQ(fast.Position(), steps.Position()) << line;
            EXPECT_EQ(fast.ReadInt(), 4) << line;
        }
    // Every line of the plain form is taken in one step.
    for (const char* line : {"1 2 3", "-2147483648 2147483647 0", "12345678 123456789 1234567890"}) {
        TTextReader r(std::string(line) + "\r\n");
        int32_t v[3];
        EXPECT_TRUE(r.TryReadIntLine(v, 3)) << line;
        EXPECT_TRUE(r.Eof()) << line;
    }

    const std::vector<std::string> realLines = {
        " 2.00000000000000E+0004", "-1.50000000000000E-0003", "375.0", "0.0", "  5  ", ".5", "5.", "+3", "-.5",
        "1e400", "1e-400", "abc", "nan", "1.0 2.0", "5 x", std::string(29, ' ') + "7", std::string(30, ' ') + "7",
        std::string(40, '1'), "", "-"};
    for (const char* eol : {"\r\n", "\n", "\r"})
        for (const std::string& line : realLines) {
            const std::string text = line + eol + "9" + eol;
            TTextReader fast(text), steps(text);
            double v = -1;
            if (!fast.TryReadRealLine(30, v)) {
                EXPECT_EQ(fast.Position(), 0u) << line;
                continue;
            }
            double want = 0;
            ASSERT_TRUE(ParseReal(steps.ReadTextView(30), want)) << line;
            steps.ReadLn();
            EXPECT_EQ(std::signbit(v), std::signbit(want)) << line;
            EXPECT_EQ(v, want) << line;
            EXPECT_EQ(fast.Position(), steps.Position()) << line;
            EXPECT_EQ(fast.ReadInt(), 9) << line;
        }
    for (const char* line : {" 2.00000000000000E+0004", "375.0", "-1.5E-3"}) {
        TTextReader r(std::string(line) + "\n");
        double v;
        EXPECT_TRUE(r.TryReadRealLine(30, v)) << line;
        EXPECT_TRUE(r.Eof()) << line;
    }

    // Texts of a line: up to n bytes, the rest of the line passed.
    for (const char* eol : {"\r\n", "\n", "\r"})
        for (const std::string line : {"", "AB", "  ", "12345678", "123456789", "node 500 and more of it"}) {
            const std::string text = line + eol + "9" + eol;
            TTextReader one(text), steps(text);
            EXPECT_EQ(one.ReadTextLine(8), steps.ReadTextView(8)) << line;
            steps.ReadLn();
            EXPECT_EQ(one.Position(), steps.Position()) << line;
            EXPECT_EQ(one.ReadInt(), 9) << line;
        }
    TTextReader last("AB");
    EXPECT_EQ(last.ReadTextLine(8), "AB");
    EXPECT_TRUE(last.Eof());
    EXPECT_THROW(last.ReadTextLine(8), TFileReadError);
}

// The same through a file read in blocks: lines of many lengths and line
// ends, and long lines of numbers whose line end falls at the end of a block
// (CR in one block, LF in the next; a lone CR there).
TEST(LegacyText, RecordLinesInOneStepAcrossTheWindow)
{
    const auto dir = TempDir();
    const auto path = dir / "records.dta";
    std::string text;
    std::vector<bool> intLine;
    std::vector<size_t> textLine; // lines of text, read as 8 bytes
    const char* ends[3] = {"\r\n", "\n", "\r"};
    uint32_t seed = 5;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 1000; };
    auto randomLine = [&] {
        const uint32_t kind = next() % 3;
        intLine.push_back(kind == 0);
        if (kind == 2) {
            textLine.push_back(intLine.size() - 1);
            text += std::string(1 + next() % 11, char('a' + next() % 26));
        } else if (intLine.back()) {
            const std::string pad(1 + (next() % 3 == 0 ? next() % 400 : 0), ' ');
            text += std::to_string(int(next()) - 500) + pad + std::to_string(next() * 3001) + pad +
                    std::to_string(next());
        } else {
            text += (next() % 2 ? Real23Text(double(next()) / 7) : std::to_string(next()) + ".0") +
                    std::string(next() % 8, ' ');
        }
        text += ends[next() % 3];
    };
    for (size_t block = 1; block <= 3; ++block) {
        const size_t boundary = block * TTextReader::ReadBlock;
        while (text.size() < boundary - 2000) randomLine();
        // Its CR the last byte of the block.
        text += "1 2" + std::string(boundary - 1 - text.size() - 4, ' ') + "3" + (block == 2 ? "\r" : "\r\n");
        intLine.push_back(true);
        ASSERT_EQ(text[boundary - 1], '\r');
    }
    for (int i = 0; i < 1000; ++i) randomLine();
    std::ofstream(path, std::ios::binary) << text;

    TTextReader fast, steps(text);
    std::string error;
    ASSERT_TRUE(fast.LoadFile(path.string(), error)) << error;
    size_t taken = 0;
    for (size_t line = 0; line < intLine.size(); ++line) {
        if (intLine[line]) {
            int32_t v[3];
            if (fast.TryReadIntLine(v, 3)) {
                ++taken;
            } else {
                for (int32_t& x : v) x = fast.ReadInt();
                fast.ReadLn();
            }
            for (int32_t x : v) ASSERT_EQ(x, steps.ReadInt()) << line;
            steps.ReadLn();
        } else if (std::binary_search(textLine.begin(), textLine.end(), line)) {
            const std::string got(fast.ReadTextLine(8));
            ASSERT_EQ(got, steps.ReadTextView(8)) << line;
            steps.ReadLn();
        } else {
            double r = 0, want = 0;
            if (fast.TryReadRealLine(30, r)) {
                ++taken;
            } else {
                ASSERT_TRUE(ParseReal(fast.ReadTextView(30), r)) << line;
                fast.ReadLn();
            }
            ASSERT_TRUE(ParseReal(steps.ReadTextView(30), want));
            steps.ReadLn();
            ASSERT_EQ(r, want) << line;
        }
        ASSERT_EQ(fast.Position(), steps.Position()) << line;
    }
    EXPECT_TRUE(fast.SeekEof());
    EXPECT_GT(taken, (intLine.size() - textLine.size()) * 9 / 10); // nearly every line of numbers in one step
    std::filesystem::remove_all(dir);
}

TEST(LegacyText, GuardsTurnFailuresIntoErrorCodes)
{
    TTextReader r("12 x\r\n");
    TFileContext ctx;
    ctx.InFile = &r;
    int a = 0, b = 0;
    GuardRead(ctx, [&] {
        a = ctx.InFile->ReadInt();
        b = ctx.InFile->ReadInt();
    });
    EXPECT_EQ(a, 12);
    EXPECT_EQ(ctx.ErrorCode, FileErrorRead);
    EXPECT_NE(ctx.ErrorDetail.find("line 1"), std::string::npos);
    bool ran = false;
    GuardRead(ctx, [&] { ran = true; });
    EXPECT_FALSE(ran); // later steps are skipped

    TFileContext wctx;
    TTextWriter w;
    wctx.OutFile = &w;
    GuardWrite(wctx, [&] { w.WriteReal(std::nan("")); });
    EXPECT_EQ(wctx.ErrorCode, FileErrorWrite);
    TFileContext mctx;
    GuardRead(mctx, [] { throw std::bad_alloc(); });
    EXPECT_EQ(mctx.ErrorCode, FileErrorMemory);
}
