#include "shell/DocumentIO.h"

#include <algorithm>
#include <string_view>

#include "core/file/NetworkFile.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "shell/FileDialog.h"

namespace {

const char* const NetworkSuffix = "dta";

// The open dialog: "ZOK Network (*.dta)" and "All Files"; a name typed that
// is no file, where the network file of that name with ".dta" is there, is that file.
class TNetworkOpenDialog : public TFileDialog {
public:
    TNetworkOpenDialog(QWidget* Parent, const std::string& Caption, FileMode Mode)
        : TFileDialog(Parent, Latin1(Caption), {QStringLiteral("ZOK Network (*.dta)"), QStringLiteral("All Files (*)")})
    {
        setAcceptMode(AcceptOpen);
        setFileMode(Mode);
        SetDefaultExtension(QLatin1String(NetworkSuffix));
    }

    std::vector<std::string> Run()
    {
        std::vector<std::string> r;
        if (exec() != Accepted) return r;
        // Also where a platform's dialog hands the name back as it was typed.
        for (const QString& f : ChosenFiles()) r.push_back(DiskName(f));
        return r;
    }
};

// The save dialog: one filter per file version, then "All Files"; a name
// takes the chosen filter's extension (".dta" under "All Files").
class TNetworkSaveDialog : public TFileDialog {
public:
    TNetworkSaveDialog(QWidget* Parent, const std::string& Caption) : TFileDialog(Parent, Latin1(Caption))
    {
        QStringList filters, extensions;
        for (const TNetworkFileFilter& f : NetworkFileFilters) {
            filters << QString::fromLatin1(f.Name);
            extensions << QString::fromLatin1(f.Suffix);
        }
        filters << QStringLiteral("All Files (*)");
        extensions << QLatin1String(NetworkSuffix);
        setAcceptMode(AcceptSave);
        setNameFilters(filters);
        selectNameFilter(filters.front());
        SetFilterExtensions(extensions);
    }
};

} // namespace

std::vector<std::string> TQtFileChooser::OpenFiles(QWidget* Parent, const std::string& Caption)
{
    return TNetworkOpenDialog(Parent, Caption, QFileDialog::ExistingFiles).Run();
}

std::string TQtFileChooser::OpenFile(QWidget* Parent, const std::string& Caption)
{
    const std::vector<std::string> r = TNetworkOpenDialog(Parent, Caption, QFileDialog::ExistingFile).Run();
    return r.empty() ? std::string() : r.front();
}

TSaveChoice TQtFileChooser::SaveFile(QWidget* Parent, const std::string& Caption, const std::string& Initial)
{
    TNetworkSaveDialog d(Parent, Caption);
    if (!Initial.empty()) d.selectFile(ShownName(Initial));
    if (d.exec() != QDialog::Accepted) return {};
    // Also where a platform's dialog leaves the extension to the program.
    const QStringList chosen = d.ChosenFiles();
    if (chosen.isEmpty()) return {};
    return {DiskName(chosen.front()), d.ChosenFilter()};
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
    TFileDialog d(Parent, Latin1(Caption));
    d.setNameFilter(Latin1(QtFilter(Filter)));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.SetDefaultExtension(Latin1(FilterSuffix(Filter)));
    if (!Initial.empty()) d.selectFile(ShownName(Initial));
    if (d.exec() != QDialog::Accepted) return {};
    const QStringList chosen = d.ChosenFiles();
    return chosen.isEmpty() ? std::string() : DiskName(chosen.front());
}
