#include "core/shapes/BatchScript.h"

#include <filesystem>
#include <string_view>
#include <utility>

#include "core/file/LegacyText.h"

const char* const BatchFileFilter = "ZOK network file|*.dta|ZOK Calculate file|*.pgm|ZOK Update formats file|*.xup|"
                                    "ZOK Update file|*.txt;*.dbf;*.tab;*.csv|ArcGIS shapefile|*.shp|All files|*.*";
const char* const BatchScriptFilter = "Shapefile import specification|*.sfs|All files|*.*";
const char* const BatchCaption = "Multiple Shapefiles Import";
const char* const BatchInvalidScript = "Not a valid batch script file.";

namespace {

const char* const OperationTexts[BatchOperationCount] = {
    "No Action",   "Open Network",       "Append Network", "Single Shapefile Import", "Calculate",
    "Get Update Formats", "Do Update", "Save As",        "Save As, Close",
};

bool ValidRow(int row) { return row >= 1 && row <= BatchStepCount; }

// One line of a .sfs text: the code and the name; false when the line is
// not one. The code is any decimal integer, blanks or tabs before it; the
// one character after it (a blank or a tab) is skipped and the rest of the
// line is the name. An empty line (or one of blanks only) is a row of code 0
// ("No Action") without a name.
bool ParseStepLine(std::string_view line, int32_t& code, std::string& name)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto separator = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < line.size() && separator(line[i])) ++i;
    if (i == line.size()) {
        code = BatchNoAction;
        name.clear();
        return true;
    }
    std::size_t digits = i;
    if (digits < line.size() && (line[digits] == '+' || line[digits] == '-')) ++digits;
    std::size_t end = digits;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
    if (end == digits) return false;
    int32_t value = 0;
    if (!ParseInt(line.substr(i, end - i), value)) return false;
    // The number ends at a separator or the line end; a line that ends
    // after the code has no name.
    if (end < line.size() && !separator(line[end])) return false;
    code = value;
    name = end < line.size() ? std::string(line.substr(end + 1)) : std::string();
    return true;
}

std::string FolderOf(const std::string& path)
{
    std::filesystem::path p(path);
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(p, ec);
    return (ec ? p : absolute).parent_path().string();
}

} // namespace

const char* BatchOperationText(int code)
{
    return code >= 0 && code < BatchOperationCount ? OperationTexts[code] : "";
}

bool BatchOperationNeedsFile(int code) { return code >= BatchOpenNetwork && code <= BatchDoUpdate; }

int BatchFilterIndex(int code)
{
    switch (code) {
    case BatchOpenNetwork:
    case BatchAppendNetwork:
    case BatchSaveAs:
    case BatchSaveAsClose:
        return 1;
    case BatchShapefileImport:
        return 5;
    case BatchCalculate:
        return 2;
    case BatchGetUpdateFormats:
        return 3;
    case BatchDoUpdate:
        return 4;
    default:
        return 6;
    }
}

void TBatchScript::Clear()
{
    StepOperation.fill(BatchNoAction);
    for (std::string& name : StepFileName) name.clear();
    LastHit = 0;
}

std::string TBatchScript::SpecificationText() const
{
    std::string text;
    for (int row = 1; row <= BatchStepCount; ++row) {
        text += std::to_string(StepOperation[size_t(row)]);
        text += ' ';
        // A line end inside a name would split the line.
        for (char c : StepFileName[size_t(row)]) text += (c == '\r' || c == '\n') ? ' ' : c;
        text += "\r\n";
    }
    return text;
}

bool TBatchScript::ReadSpecification(const std::string& bytes)
{
    std::array<int32_t, BatchStepCount + 1> codes{};
    std::array<std::string, BatchStepCount + 1> names;
    // The text's lines: what follows the last line end is a line too, so
    // that 99 lines and a line end leave an empty 100th line.
    std::string_view rest(bytes);
    bool more = true;
    for (int row = 1; row <= BatchStepCount; ++row) {
        if (!more) return false;
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        more = end != std::string_view::npos;
        rest = more ? rest.substr(end + 1) : std::string_view();
        if (!ParseStepLine(line, codes[size_t(row)], names[size_t(row)])) return false;
    }
    StepOperation = codes;
    StepFileName = std::move(names);
    LastHit = 0;
    return true;
}

bool TBatchScript::OpenSpecification(const std::string& path, std::string& error)
{
    TTextReader reader;
    if (!reader.LoadFile(path, error)) return false;
    if (!ReadSpecification(reader.Bytes())) {
        error = BatchInvalidScript;
        return false;
    }
    Folder = FolderOf(path);
    return true;
}

bool TBatchScript::SaveSpecification(const std::string& path, std::string& error)
{
    if (!AtomicWriteFile(path, SpecificationText(), error)) return false;
    Folder = FolderOf(path);
    return true;
}

bool TBatchScript::MoveUp(int row)
{
    if (!ValidRow(row) || row == 1) return false;
    std::swap(StepOperation[size_t(row)], StepOperation[size_t(row - 1)]);
    std::swap(StepFileName[size_t(row)], StepFileName[size_t(row - 1)]);
    return true;
}

bool TBatchScript::MoveDown(int row)
{
    if (!ValidRow(row) || row == BatchStepCount) return false;
    std::swap(StepOperation[size_t(row)], StepOperation[size_t(row + 1)]);
    std::swap(StepFileName[size_t(row)], StepFileName[size_t(row + 1)]);
    return true;
}

bool TBatchScript::InsertRow(int row)
{
    if (!ValidRow(row) || row == BatchStepCount) return false;
    for (int r = BatchStepCount; r > row; --r) {
        StepOperation[size_t(r)] = StepOperation[size_t(r - 1)];
        StepFileName[size_t(r)] = std::move(StepFileName[size_t(r - 1)]);
    }
    StepOperation[size_t(row)] = BatchNoAction;
    StepFileName[size_t(row)].clear();
    return true;
}

bool TBatchScript::DeleteRow(int row)
{
    if (!ValidRow(row) || row == BatchStepCount) return false;
    for (int r = row; r < BatchStepCount; ++r) {
        StepOperation[size_t(r)] = StepOperation[size_t(r + 1)];
        StepFileName[size_t(r)] = std::move(StepFileName[size_t(r + 1)]);
    }
    StepOperation[BatchStepCount] = BatchNoAction;
    StepFileName[BatchStepCount].clear();
    return true;
}

int TBatchScript::FindNext(const std::string& text)
{
    if (!text.empty())
        for (int row = (LastHit >= 0 && LastHit < BatchStepCount ? LastHit : 0) + 1; row <= BatchStepCount; ++row)
            if (StepFileName[size_t(row)].find(text) != std::string::npos) {
                LastHit = row;
                return row;
            }
    LastHit = 0;
    return 0;
}

bool TBatchScript::Replace(const std::string& text, const std::string& replacement)
{
    if (text.empty() || !ValidRow(LastHit)) return false;
    std::string& name = StepFileName[size_t(LastHit)];
    std::string changed = ReplaceOccurrences(name, text, replacement);
    if (changed == name) return false;
    name = std::move(changed);
    return true;
}

int TBatchScript::ReplaceAll(const std::string& text, const std::string& replacement)
{
    if (text.empty()) return 0;
    int rows = 0;
    for (int row = 1; row <= BatchStepCount; ++row) {
        std::string& name = StepFileName[size_t(row)];
        std::string changed = ReplaceOccurrences(name, text, replacement);
        if (changed != name) {
            name = std::move(changed);
            ++rows;
        }
    }
    return rows;
}

std::string ReplaceOccurrences(const std::string& name, const std::string& text, const std::string& replacement)
{
    if (text.empty()) return name;
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = name.find(text, from)) != std::string::npos; from = at + text.size()) {
        out.append(name, from, at - from);
        out += replacement;
    }
    out.append(name, from, std::string::npos);
    return out;
}

std::string CaptionOfPath(const std::string& path)
{
    const std::size_t cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
