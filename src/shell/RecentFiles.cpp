#include "shell/RecentFiles.h"

#include <cctype>
#include <algorithm>
#include <charconv>

std::string BuildViewState(const TViewState& S)
{
    std::string t;
    auto put = [&](int v) { t += std::to_string(v) + ","; };
    put(S.ZoomLevel);
    put(S.DarkCursor);
    put(S.ShowPlotMargins);
    put(S.HorzPos);
    put(S.VertPos);
    put(S.SnapStep);
    put(S.SketchMode);
    for (int k = 0; k < ViewStateToolbars; ++k) {
        if (S.ToolbarVisible[size_t(k)]) {
            put(S.ToolbarRow[size_t(k)]);
            put(S.ToolbarPos[size_t(k)]);
        } else {
            put(-1);
        }
    }
    put(S.AutoBackup);
    bool allOnTop = true;
    for (int d : S.ToolbarDock) allOnTop = allOnTop && d == ToolbarOnTop;
    if (!allOnTop) {
        for (int k = 0; k < ViewStateToolbars; ++k) {
            put(S.ToolbarDock[size_t(k)]);
            if (S.ToolbarDock[size_t(k)] == ToolbarFloating) {
                put(S.FloatLeft[size_t(k)]);
                put(S.FloatTop[size_t(k)]);
            }
        }
    }
    return t;
}

int RestorableMode(int Mode)
{
    switch (Mode) {
    case 13: return 11; // Node Move, placing
    case 15: return 14; // Link Split, placing
    case 18: return 17; // Link Shape Insert, placing
    default: return (Mode >= 0 && Mode <= 27) ? Mode : 0;
    }
}

namespace {
struct TFieldReader {
    const std::string& Text;
    size_t Pos = 0;
    int Next()
    {
        size_t end = Text.find(',', Pos);
        std::string f = Text.substr(Pos, end == std::string::npos ? std::string::npos : end - Pos);
        Pos = end == std::string::npos ? Text.size() : end + 1;
        size_t a = 0, b = f.size();
        while (a < b && std::isspace(uint8_t(f[a]))) ++a;
        while (b > a && std::isspace(uint8_t(f[b - 1]))) --b;
        int v = 0;
        auto r = std::from_chars(f.data() + a, f.data() + b, v);
        if (r.ec != std::errc() || r.ptr != f.data() + b) return 0;
        return v;
    }
};
} // namespace

TViewState ParseViewState(const std::string& Text)
{
    TViewState s;
    TFieldReader r{Text};
    s.ZoomLevel = r.Next();
    if (s.ZoomLevel < 1 || s.ZoomLevel > 18) s.ZoomLevel = 10;
    s.DarkCursor = r.Next() != 0;
    s.ShowPlotMargins = r.Next() != 0;
    s.HorzPos = std::max(0, r.Next());
    s.VertPos = std::max(0, r.Next());
    s.SnapStep = std::clamp(r.Next(), 1, 1000);
    s.SketchMode = RestorableMode(r.Next());
    for (int k = 0; k < ViewStateToolbars; ++k) {
        int row = r.Next();
        s.ToolbarVisible[size_t(k)] = row > -1;
        if (row > -1) {
            s.ToolbarRow[size_t(k)] = std::min(row, MaxToolbarRow);
            s.ToolbarPos[size_t(k)] = std::max(0, r.Next());
        }
    }
    s.AutoBackup = r.Next() == 1;
    if (r.Pos < Text.size()) {
        for (int k = 0; k < ViewStateToolbars; ++k) {
            int d = r.Next();
            if (d < ToolbarOnTop || d > ToolbarFloating) d = ToolbarOnTop;
            s.ToolbarDock[size_t(k)] = d;
            if (d == ToolbarFloating) {
                s.FloatLeft[size_t(k)] = r.Next();
                s.FloatTop[size_t(k)] = r.Next();
            }
        }
    }
    return s;
}

void TRecentFiles::Update(const std::string& FileName, const std::string& ViewState, const std::string& DefaultName)
{
    int found = 0;
    for (int i = 1; i <= Count; ++i)
        if (Files[size_t(i)] == FileName) found = i;
    if (FileName == DefaultName) return;
    if (found > 0) {
        for (int i = found; i < Count; ++i) {
            Files[size_t(i)] = Files[size_t(i + 1)];
            ViewStates[size_t(i)] = ViewStates[size_t(i + 1)];
        }
        --Count;
    }
    if (Count < RecentMax) ++Count;
    for (int i = Count; i >= 2; --i) {
        Files[size_t(i)] = Files[size_t(i - 1)];
        ViewStates[size_t(i)] = ViewStates[size_t(i - 1)];
    }
    Files[1] = FileName;
    ViewStates[1] = ViewState;
}

// The entry number of "file<n>" or "filepref<n>" (n one digit 1..4), 0 otherwise.
static int EntryOf(const std::string& Name, const std::string& Prefix)
{
    if (Name.size() != Prefix.size() + 1 || Name.compare(0, Prefix.size(), Prefix) != 0) return 0;
    char c = Name.back();
    return (c >= '1' && c <= '0' + RecentMax) ? c - '0' : 0;
}

bool RecentFileValue(const std::string& Name) { return EntryOf(Name, "file") != 0; }

void TRecentFiles::Read(const std::vector<std::pair<std::string, std::string>>& Values)
{
    *this = TRecentFiles();
    std::array<bool, RecentMax + 1> have{};
    for (const auto& [name, value] : Values) {
        if (int n = EntryOf(name, "filepref")) {
            ViewStates[size_t(n)] = value;
        } else if (int m = EntryOf(name, "file")) {
            Files[size_t(m)] = value;
            have[size_t(m)] = true;
        }
    }
    // The list is the run of entries from 1 that name a file.
    while (Count < RecentMax && have[size_t(Count + 1)] && !Files[size_t(Count + 1)].empty()) ++Count;
    for (int n = Count + 1; n <= RecentMax; ++n) {
        Files[size_t(n)].clear();
        ViewStates[size_t(n)].clear();
    }
}

std::vector<std::pair<std::string, std::string>> TRecentFiles::Values() const
{
    std::vector<std::pair<std::string, std::string>> v;
    for (int n = 1; n <= Count; ++n) {
        v.emplace_back("file" + std::to_string(n), Files[size_t(n)]);
        v.emplace_back("filepref" + std::to_string(n), ViewStates[size_t(n)]);
    }
    return v;
}
