#include "tools/ToolFiles.h"

#include <string>

#include <QFileDialog>
#include <QLineEdit>

#include "platform/Latin1.h"
#include "shell/DocumentIO.h"
#include "shell/FileDialog.h"

QFileDialog* MakeFileChooser(QWidget* Parent, const char* Name, const char* Title, std::string_view PipeFilter,
                             bool Save, const char* DefaultSuffix)
{
    auto* d = new TFileDialog(Parent, QString::fromLatin1(Title));
    d->setObjectName(Name);
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    QStringList filters;
    for (const std::string& f : QtNameFilters(PipeFilter, true)) filters << Latin1(f);
    d->setNameFilters(filters);
    d->setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d->setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (DefaultSuffix) d->SetDefaultExtension(QString::fromLatin1(DefaultSuffix));
    return d;
}

void SelectFilter(QFileDialog& Dialog, std::string_view PipeFilter, int Index)
{
    const std::string filter(PipeFilter);
    Dialog.selectNameFilter(Dialog.nameFilters().value(Index - 1));
    if (auto* own = dynamic_cast<TFileDialog*>(&Dialog)) {
        QStringList extensions;
        for (int i = 1; i <= Dialog.nameFilters().size(); ++i) extensions << Latin1(FilterSuffix(filter, i));
        own->SetFilterExtensions(extensions);
    }
}

void SetTextRed(QLineEdit* Edit, bool Red)
{
    QPalette p = Edit->palette();
    p.setColor(QPalette::Text, Red ? Qt::red : Qt::black);
    Edit->setPalette(p);
}
