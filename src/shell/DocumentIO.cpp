#include "platform/Latin1.h"
#include "shell/DocumentIO.h"

#include <algorithm>
#include <string_view>

#include <QFileDialog>
#include <QFileInfo>

#include "core/file/NetworkFile.h"

namespace {

const char* const OpenFilter = "ZOK Network (*.dta);;All Files (*)";
const char* const NetworkSuffix = "dta";

// The save dialog's filters: one per file version, then "All Files".
QStringList SaveFilters()
{
    QStringList r;
    for (const TNetworkFileFilter& f : NetworkFileFilters) r << QString::fromLatin1(f.Name);
    r << QStringLiteral("All Files (*)");
    return r;
}

// The place, from 1, of a filter as a dialog names it; a platform's dialog
// may give the name without its patterns. 1 when it is none of them.
int FilterIndex(const QStringList& Filters, const QString& Chosen)
{
    auto bare = [](const QString& f) { return f.left(f.indexOf(QLatin1String(" ("))).trimmed(); };
    for (qsizetype i = 0; i < Filters.size(); ++i)
        if (Filters[i] == Chosen || bare(Filters[i]) == bare(Chosen)) return int(i) + 1;
    return 1;
}

// The extension a name saved under a filter takes when none is typed: the
// filter's own, ".dta" under "All Files".
QString SuffixOfFilter(int Index)
{
    return QString::fromLatin1(Index >= 1 && Index <= NetworkFileFilterCount ? NetworkFileFilters[Index - 1].Suffix
                                                                              : NetworkSuffix);
}

bool HasExtension(const QString& Name) { return QFileInfo(Name).fileName().contains(u'.'); }

// A name typed without an extension that names no file, where the network
// file of that name with ".dta" is there.
bool TakesNetworkSuffix(const QString& Name)
{
    return !Name.isEmpty() && !HasExtension(Name) && !QFileInfo::exists(Name) &&
           QFileInfo(Name + u'.' + QLatin1String(NetworkSuffix)).isFile();
}

QString WithNetworkSuffix(const QString& Name)
{
    return TakesNetworkSuffix(Name) ? Name + u'.' + QLatin1String(NetworkSuffix) : Name;
}

// The open dialog: before it checks that the chosen files exist, a name typed
// without an extension takes ".dta" when that file is there (and the name as
// typed is not).
class TNetworkOpenDialog : public QFileDialog {
public:
    TNetworkOpenDialog(QWidget* Parent, const std::string& Caption, FileMode Mode)
        : QFileDialog(Parent, Latin1(Caption), QString(), QLatin1String(OpenFilter))
    {
        setAcceptMode(AcceptOpen);
        setFileMode(Mode);
    }

    std::vector<std::string> Run()
    {
        std::vector<std::string> r;
        if (exec() != Accepted) return r;
        // A platform's dialog may hand the typed name back as it was typed.
        for (const QString& f : selectedFiles()) r.push_back(Bytes(WithNetworkSuffix(f)));
        return r;
    }

    void accept() override
    {
        setDefaultSuffix(QString());
        bool suffix = false;
        for (const QString& f : selectedFiles()) suffix = suffix || TakesNetworkSuffix(f);
        setDefaultSuffix(suffix ? QLatin1String(NetworkSuffix) : QString());
        QFileDialog::accept();
    }
};

// The save dialog: a name typed without an extension takes the chosen
// filter's, also where the filter was chosen without the dialog telling.
class TNetworkSaveDialog : public QFileDialog {
public:
    TNetworkSaveDialog(QWidget* Parent, const std::string& Caption)
        : QFileDialog(Parent, Latin1(Caption)), FFilters(SaveFilters())
    {
        setAcceptMode(AcceptSave);
        setNameFilters(FFilters);
        selectNameFilter(FFilters.front());
        setDefaultSuffix(SuffixOfFilter(1));
        connect(this, &QFileDialog::filterSelected, this,
                [this](const QString& f) { setDefaultSuffix(SuffixOfFilter(FilterIndex(FFilters, f))); });
    }

    // The filter chosen, from 1.
    int Filter() const { return FilterIndex(FFilters, selectedNameFilter()); }

    void accept() override
    {
        setDefaultSuffix(SuffixOfFilter(Filter()));
        QFileDialog::accept();
    }

private:
    QStringList FFilters;
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
    if (!Initial.empty()) d.selectFile(Latin1(Initial));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    TSaveChoice r;
    r.Filter = d.Filter();
    QString name = d.selectedFiles().front();
    // So also where a platform's dialog leaves the suffix to the program.
    if (!HasExtension(name)) name += u'.' + SuffixOfFilter(r.Filter);
    r.Name = Bytes(name);
    return r;
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
