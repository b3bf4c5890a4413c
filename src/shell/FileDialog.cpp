#include "shell/FileDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>

QString NameWithExtension(const QString& Name, TNameUse Use, const QString& Extension,
                          const QStringList& OwnExtensions, bool FilterNamesExtension)
{
    if (Name.isEmpty() || Extension.isEmpty()) return Name;
    const QFileInfo info(Name);
    if (info.isDir()) return Name;
    // Dots that end a name give it no extension: "x." is "x".
    qsizetype end = info.fileName().size();
    while (end > 0 && info.fileName()[end - 1] == u'.') --end;
    const QString bare = end > 0 ? Name.chopped(info.fileName().size() - end) : Name;
    const QString withExtension = bare + u'.' + Extension;
    if (Use == TNameUse::Open) return !info.exists() && QFileInfo(withExtension).isFile() ? withExtension : Name;
    if (Use == TNameUse::Either && info.isFile()) return Name;
    const QString file = QFileInfo(bare).fileName();
    const qsizetype dot = file.lastIndexOf(u'.');
    if (!FilterNamesExtension) return dot < 0 ? withExtension : bare;
    const QString ending = dot < 0 ? QString() : file.mid(dot + 1).toLower();
    return !ending.isEmpty() && OwnExtensions.contains(ending) ? bare : withExtension;
}

QStringList FilterExtensions(const QString& NameFilter)
{
    // The patterns stand in the filter's last parentheses, or are the filter.
    QString patterns = NameFilter;
    const qsizetype open = NameFilter.lastIndexOf(u'('), close = NameFilter.lastIndexOf(u')');
    if (open >= 0 && close > open) patterns = NameFilter.mid(open + 1, close - open - 1);
    QStringList r;
    for (const QString& p : patterns.split(u' ', Qt::SkipEmptyParts)) {
        if (!p.startsWith(QLatin1String("*."))) continue;
        const QString extension = p.mid(2).toLower();
        if (extension.isEmpty() || extension.contains(u'*') || extension.contains(u'?') || extension.contains(u'['))
            continue;
        if (!r.contains(extension)) r << extension;
    }
    return r;
}

TFileDialog::TFileDialog(QWidget* Parent, const QString& Caption, const QStringList& NameFilters)
    : QFileDialog(Parent, Caption)
{
    if (!NameFilters.isEmpty()) setNameFilters(NameFilters);
}

int TFileDialog::ChosenFilter() const
{
    const QStringList filters = nameFilters();
    const QString chosen = selectedNameFilter();
    auto bare = [](const QString& f) { return f.left(f.indexOf(QLatin1String(" ("))).trimmed(); };
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters[i] == chosen || bare(filters[i]) == bare(chosen)) return int(i) + 1;
    return 1;
}

QString TFileDialog::DefaultExtension() const
{
    const int index = ChosenFilter();
    if (index <= FFilterExtensions.size()) return FFilterExtensions[index - 1];
    return FExtension;
}

TNameUse TFileDialog::Use() const
{
    if (acceptMode() == AcceptSave) return TNameUse::Save;
    return fileMode() == AnyFile ? TNameUse::Either : TNameUse::Open;
}

QStringList TFileDialog::ChosenFiles() const
{
    QStringList own;
    for (const QString& f : nameFilters())
        for (const QString& e : FilterExtensions(f))
            if (!own.contains(e)) own << e;
    const QStringList filters = nameFilters();
    const int index = ChosenFilter();
    const bool namesExtension = index <= filters.size() && !FilterExtensions(filters[index - 1]).isEmpty();
    const QString extension = DefaultExtension();
    QStringList r;
    for (const QString& f : selectedFiles()) r << NameWithExtension(f, Use(), extension, own, namesExtension);
    return r;
}

void TFileDialog::accept()
{
    // Qt's own dialog: its name field says what it checks and hands on.
    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    if (edit && edit->isVisible()) {
        const QStringList typed = selectedFiles(), chosen = ChosenFiles();
        if (!chosen.isEmpty() && chosen != typed) {
            // The rule's names in place of those typed or picked from the list.
            if (auto* list = findChild<QListView*>("listView"); list && list->selectionModel())
                list->selectionModel()->clearSelection();
            const QDir folder = directory();
            auto shown = [&folder](const QString& f) {
                const QString relative = folder.relativeFilePath(f);
                return relative.startsWith(QLatin1String("..")) ? f : relative;
            };
            if (chosen.size() == 1) {
                edit->setText(shown(chosen.front()));
            } else {
                QStringList quoted;
                for (const QString& f : chosen) quoted << u'"' + shown(f) + u'"';
                edit->setText(quoted.join(u' '));
            }
        }
    }
    QFileDialog::accept();
}

QStringList ChosenFiles(const QFileDialog& Dialog)
{
    if (const auto* own = dynamic_cast<const TFileDialog*>(&Dialog)) return own->ChosenFiles();
    return Dialog.selectedFiles();
}
