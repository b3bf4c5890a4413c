#include "platform/Latin1.h"
#include "shell/DocumentIO.h"

#include <algorithm>
#include <string_view>

#include <QFileDialog>

static const char* NetworkFilter = "ZOK Network (*.dta);;All Files (*)";

std::vector<std::string> TQtFileChooser::OpenFiles(QWidget* Parent, const std::string& Caption)
{
    std::vector<std::string> r;
    for (const QString& f : QFileDialog::getOpenFileNames(Parent, Latin1(Caption), QString(), NetworkFilter))
        r.push_back(Bytes(f));
    return r;
}

std::string TQtFileChooser::OpenFile(QWidget* Parent, const std::string& Caption)
{
    return Bytes(QFileDialog::getOpenFileName(Parent, Latin1(Caption), QString(), NetworkFilter));
}

std::string TQtFileChooser::SaveFile(QWidget* Parent, const std::string& Caption, const std::string& Initial)
{
    QFileDialog d(Parent, Latin1(Caption), QString(), NetworkFilter);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix("dta");
    if (!Initial.empty()) d.selectFile(Latin1(Initial));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    return Bytes(d.selectedFiles().first());
}

namespace {

std::vector<std::string> SplitAt(std::string_view s, char at)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t cut; (cut = s.find(at, from)) != std::string_view::npos; from = cut + 1)
        parts.emplace_back(s.substr(from, cut - from));
    parts.emplace_back(s.substr(from));
    return parts;
}

std::string Trimmed(std::string_view s)
{
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

std::string InCase(std::string s, bool Upper)
{
    for (char& c : s)
        if (Upper ? c >= 'a' && c <= 'z' : c >= 'A' && c <= 'Z') c = char(c ^ 0x20);
    return s;
}

} // namespace

std::vector<std::string> QtNameFilters(std::string_view Filter, bool BothCases)
{
    std::vector<std::string> filters;
    const std::vector<std::string> parts = SplitAt(Filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string name = Trimmed(parts[i]);
        // Qt reads the patterns from the name's last parentheses: a name that
        // shows patterns of its own shows those Qt is to apply instead.
        if (const size_t open = name.rfind('('); !name.empty() && name.back() == ')' && open != std::string::npos)
            name = Trimmed(std::string_view(name).substr(0, open));
        std::vector<std::string> patterns;
        auto add = [&patterns](const std::string& p) {
            if (std::find(patterns.begin(), patterns.end(), p) == patterns.end()) patterns.push_back(p);
        };
        for (const std::string& part : SplitAt(parts[i + 1], ';')) {
            std::string pattern = Trimmed(part);
            if (pattern.empty()) continue;
            // Every file, not only the names with a dot that Qt would match.
            if (pattern == "*.*") pattern = "*";
            if (!BothCases) {
                add(pattern);
                continue;
            }
            add(InCase(pattern, false));
            add(InCase(pattern, true));
        }
        std::string shown = name + " (";
        for (size_t p = 0; p < patterns.size(); ++p) shown += (p ? " " : "") + patterns[p];
        filters.push_back(shown + ")");
    }
    return filters;
}

std::string QtFilter(const std::string& Filter)
{
    std::string r;
    for (const std::string& f : QtNameFilters(Filter)) r += (r.empty() ? "" : ";;") + f;
    return r;
}

std::string FilterSuffix(const std::string& Filter, int Index)
{
    const std::vector<std::string> parts = SplitAt(Filter, '|');
    const size_t at = 2 * size_t(Index) - 1;
    if (Index < 1 || at >= parts.size()) return {};
    const std::string pattern = Trimmed(SplitAt(parts[at], ';').front());
    const size_t dot = pattern.rfind('.');
    if (dot == std::string::npos || pattern.find_first_of("*?", dot) != std::string::npos) return {};
    return pattern.substr(dot + 1);
}

std::string TQtFileChooser::SavePicture(QWidget* Parent, const std::string& Caption, const std::string& Initial,
                                        const std::string& Filter)
{
    QFileDialog d(Parent, Latin1(Caption), QString(), Latin1(QtFilter(Filter)));
    d.setAcceptMode(QFileDialog::AcceptSave);
    const std::string suffix = FilterSuffix(Filter);
    if (!suffix.empty()) d.setDefaultSuffix(Latin1(suffix));
    if (!Initial.empty()) d.selectFile(Latin1(Initial));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    return Bytes(d.selectedFiles().first());
}
