#include "platform/Latin1.h"
#include "shell/DocumentIO.h"

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

std::string QtFilter(const std::string& Filter)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t bar = Filter.find('|', from);
        parts.push_back(Filter.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
        if (bar == std::string::npos) break;
        from = bar + 1;
    }
    std::string r;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!r.empty()) r += ";;";
        const std::string& name = parts[i];
        const std::string& pattern = parts[i + 1];
        // A name that shows its patterns already keeps them.
        r += name.find('(') != std::string::npos ? name : name + " (" + pattern + ")";
    }
    return r;
}

std::string FilterSuffix(const std::string& Filter)
{
    const size_t bar = Filter.find('|');
    if (bar == std::string::npos) return {};
    const size_t end = Filter.find_first_of("|;", bar + 1);
    std::string pattern = Filter.substr(bar + 1, end == std::string::npos ? std::string::npos : end - bar - 1);
    const size_t dot = pattern.rfind('.');
    if (dot == std::string::npos || pattern.find('*', dot) != std::string::npos) return {};
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
