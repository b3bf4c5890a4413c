#include "tools/ToolFiles.h"

#include <string>
#include <vector>

#include <QFileDialog>
#include <QLineEdit>

#include "platform/Latin1.h"

namespace {

std::vector<std::string> Split(std::string_view s, char at)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t cut; (cut = s.find(at, from)) != std::string_view::npos; from = cut + 1)
        parts.emplace_back(s.substr(from, cut - from));
    parts.emplace_back(s.substr(from));
    return parts;
}

} // namespace

QStringList NameFiltersOf(std::string_view PipeFilter)
{
    QStringList filters;
    const std::vector<std::string> parts = Split(PipeFilter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        QString description = Latin1(parts[i]).trimmed();
        // Qt reads the patterns from the last parentheses: a description that
        // names its own patterns gives them up to ours.
        if (description.endsWith(')') && description.contains('('))
            description = description.left(description.lastIndexOf('(')).trimmed();
        QStringList patterns;
        for (const std::string& p : Split(parts[i + 1], ';')) {
            const QString pattern = Latin1(p).trimmed();
            if (pattern.isEmpty()) continue;
            if (pattern == "*.*" || pattern == "*") {
                patterns << "*";
                continue;
            }
            patterns << pattern.toLower();
            if (pattern.toUpper() != pattern.toLower()) patterns << pattern.toUpper();
        }
        patterns.removeDuplicates();
        filters << description + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

QFileDialog* MakeFileChooser(QWidget* Parent, const char* Name, const char* Title, std::string_view PipeFilter,
                             bool Save, const char* DefaultSuffix)
{
    auto* d = new QFileDialog(Parent, QString::fromLatin1(Title));
    d->setObjectName(Name);
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    d->setNameFilters(NameFiltersOf(PipeFilter));
    d->setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d->setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (DefaultSuffix && *DefaultSuffix) d->setDefaultSuffix(QString::fromLatin1(DefaultSuffix));
    return d;
}

void SetTextRed(QLineEdit* Edit, bool Red)
{
    QPalette p = Edit->palette();
    p.setColor(QPalette::Text, Red ? Qt::red : Qt::black);
    Edit->setPalette(p);
}
