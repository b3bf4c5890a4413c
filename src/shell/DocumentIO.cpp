#include "platform/Latin1.h"
#include "shell/DocumentIO.h"

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
