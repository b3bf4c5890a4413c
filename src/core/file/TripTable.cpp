#include "core/file/TripTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "core/file/LegacyText.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

namespace {

constexpr int TextUnknownName = 448;
constexpr int TextEndOfFile = 449;
constexpr int TextEndOfTables = 450;
constexpr int TextEndOfColumns = 451;
constexpr int TextEndOfRows = 452;
constexpr int TextZeroRows = 453;
constexpr int TextNumbers = 454;
constexpr int TextRowIs = 455;
constexpr int TextTableIs = 456;
constexpr int TextColumnIs = 457;

constexpr std::string_view EndOfRows = "END OF ROWS";
constexpr std::string_view EndOfColumns = "END OF COLUMNS";
constexpr std::string_view EndOfTables = "END OF TABLES";

bool Begins(std::string_view line, std::string_view word) { return line.substr(0, word.size()) == word; }

bool IsBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E'; }

// An error: where it was found, in the terms of the status text.
struct TTripError {
    int Id = 0;
    int Row = 0, Column = 0;
};

class TTripReader {
public:
    TTripReader(TTextReader& file, const TNetwork& net) : R(file), Net(net) {}

    TTripTableResult Run()
    {
        TTripTableResult result;
        auto tables = std::make_shared<TDesireTables>();
        tables->Generation = Net.Generation;
        int tableNo = 0;
        TTripError error;
        while (true) {
            std::string_view line;
            if (!NextLine(line, true)) break; // the end of the file ends the tables
            if (Begins(line, EndOfTables)) break;
            ++tableNo;
            TDesireTable table;
            if (!ReadTable(line, table, error)) break;
            tables->Tables.push_back(std::move(table));
        }
        if (error.Id != 0) {
            result.MessageId = error.Id;
            result.Table = tableNo;
            result.Row = error.Row;
            result.Column = error.Column;
            result.Status = MessageText(error.Id) + " " + MessageText(TextTableIs) + " " + std::to_string(tableNo);
            if (error.Row > 0) result.Status += "; " + MessageText(TextRowIs) + " " + std::to_string(error.Row);
            if (error.Column > 0)
                result.Status += "; " + MessageText(TextColumnIs) + " " + std::to_string(error.Column);
            return result;
        }
        result.Ok = true;
        result.Status = "Table loaded.";
        result.Tables = std::move(tables);
        return result;
    }

private:
    // The next line; with skipBlank, blank lines are passed over. False at
    // the end of the file.
    bool NextLine(std::string_view& line, bool skipBlank)
    {
        while (!R.Eof()) {
            line = R.ReadLineView();
            if (!skipBlank || !IsBlankLine(line)) return true;
        }
        return false;
    }

    const TNode* Find(std::string_view line)
    {
        if (!Indexed) {
            Names.Build(Net);
            Indexed = true;
        }
        const std::string pattern = PrepareNamePattern(std::string(line.substr(0, 30)));
        if (pattern.find('?') == std::string::npos) return Names.FindIndexedNode(pattern);
        // A pattern searches the whole network, in hash order, once.
        auto it = Patterns.find(pattern);
        if (it == Patterns.end()) it = Patterns.emplace(pattern, FindNodeByName(Net, pattern, nullptr)).first;
        return it->second;
    }

    // Names up to the line that begins with Last; first is the first line
    // of the list. Other ends of a list are errors.
    bool ReadNames(std::string_view first, bool rows, std::vector<const TNode*>& nodes, TTripError& error)
    {
        std::string_view line = first;
        auto fail = [&](int id) {
            error.Id = id;
            (rows ? error.Row : error.Column) = int(std::min<size_t>(nodes.size() + 1, 2147483647));
            return false;
        };
        while (true) {
            if (Begins(line, rows ? EndOfRows : EndOfColumns)) return true;
            if (Begins(line, EndOfTables)) return fail(TextEndOfTables);
            if (Begins(line, rows ? EndOfColumns : EndOfRows)) return fail(rows ? TextEndOfColumns : TextEndOfRows);
            const TNode* n = Find(line);
            if (!n) return fail(TextUnknownName);
            nodes.push_back(n);
            if (!NextLine(line, true)) return fail(TextEndOfFile);
        }
    }

    bool ReadTable(std::string_view first, TDesireTable& table, TTripError& error)
    {
        if (!ReadNames(first, true, table.Rows, error)) return false;
        std::string_view line;
        if (!NextLine(line, true)) {
            error = {TextEndOfFile, 0, 1};
            return false;
        }
        if (!ReadNames(line, false, table.Columns, error)) return false;
        if (table.Rows.empty() || table.Columns.empty()) {
            error = {TextZeroRows, 0, 0};
            return false;
        }
        return ReadValues(table, error);
    }

    // rows x columns numbers from the lines that follow; the rest of the line
    // of the last value is not read.
    bool ReadValues(TDesireTable& table, TTripError& error)
    {
        const uint64_t columns = table.Columns.size();
        const uint64_t count = uint64_t(table.Rows.size()) * columns;
        // Room for the values the rest of the file can hold at most (one
        // digit and a separator each), never for more. The rest is known
        // without reading it: a file of many small tables stays linear.
        const uint64_t room = R.Remaining() / 2 + 1;
        table.Values.reserve(size_t(std::min(count, room)));
        std::string_view line;
        size_t pos = 0;
        bool haveLine = false;
        std::string token;
        while (table.Values.size() < count) {
            const int row = int(std::min<uint64_t>(table.Values.size() / columns + 1, 2147483647));
            while (haveLine && pos < line.size() && IsSeparator(line[pos])) ++pos;
            if (!haveLine || pos >= line.size()) {
                if (!NextLine(line, false)) {
                    error = {TextEndOfFile, row, 0};
                    return false;
                }
                if (Begins(line, EndOfTables)) {
                    error = {TextEndOfTables, row, 0};
                    return false;
                }
                haveLine = true;
                pos = 0;
                continue;
            }
            const size_t start = pos;
            while (pos < line.size() && IsNumberChar(line[pos])) ++pos;
            double v = 0;
            if (pos == start || (pos < line.size() && !IsSeparator(line[pos])) ||
                !ParseToken(line.substr(start, pos - start), token, v)) {
                error = {TextNumbers, row, 0};
                return false;
            }
            table.Values.push_back(v);
        }
        return true;
    }

    static bool ParseToken(std::string_view text, std::string& token, double& v)
    {
        if (text.back() == '.') {
            token.assign(text);
            token.push_back('0');
            text = token;
        }
        // The common case the fast way; whatever it does not take whole is
        // decided by the strict reader (which also makes tiny values 0).
        const std::string_view digits = text.front() == '+' ? text.substr(1) : text;
        const bool signs = digits.size() < text.size() && !digits.empty() && digits.front() == '-';
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (!signs && r.ec == std::errc() && r.ptr == digits.data() + digits.size()) return std::isfinite(v);
        return ParseReal(text, v) && std::isfinite(v);
    }

    TTextReader& R;
    const TNetwork& Net;
    TNameIndex Names;
    bool Indexed = false;
    std::unordered_map<std::string, const TNode*> Patterns;
};

} // namespace

TTripTableResult ReadTripTable(TTextReader& in, const TNetwork& net)
{
    TTripReader reader(in, net);
    return reader.Run();
}

TTripTableResult ReadTripTable(std::string bytes, const TNetwork& net)
{
    TTextReader in(std::move(bytes));
    return ReadTripTable(in, net);
}

TTripTableResult LoadTripTable(const std::string& path, const TNetwork& net)
{
    TTextReader file;
    std::string error;
    if (!file.LoadFile(path, error)) {
        TTripTableResult r;
        r.Status = "Cannot read " + path + ": " + error;
        return r;
    }
    return ReadTripTable(file, net);
}
