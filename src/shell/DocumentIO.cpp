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
