#include "tools/ToolFiles.h"

#include <string>

#include <QFileDialog>
#include <QLineEdit>

#include "platform/Latin1.h"
#include "shell/DocumentIO.h"

QFileDialog* MakeFileChooser(QWidget* Parent, const char* Name, const char* Title, std::string_view PipeFilter,
                             bool Save, const char* DefaultSuffix)
{
    auto* d = new QFileDialog(Parent, QString::fromLatin1(Title));
    d->setObjectName(Name);
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    QStringList filters;
    for (const std::string& f : QtNameFilters(PipeFilter, true)) filters << Latin1(f);
    d->setNameFilters(filters);
    d->setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d->setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (DefaultSuffix && *DefaultSuffix) d->setDefaultSuffix(QString::fromLatin1(DefaultSuffix));
    return d;
}

void SelectFilter(QFileDialog& Dialog, std::string_view PipeFilter, int Index)
{
    const std::string filter(PipeFilter);
    auto follow = [&Dialog, filter](int index) { Dialog.setDefaultSuffix(Latin1(FilterSuffix(filter, index))); };
    Dialog.selectNameFilter(Dialog.nameFilters().value(Index - 1));
    follow(Index);
    QObject::connect(&Dialog, &QFileDialog::filterSelected, &Dialog, [&Dialog, follow](const QString& chosen) {
        follow(int(Dialog.nameFilters().indexOf(chosen)) + 1);
    });
}

void SetTextRed(QLineEdit* Edit, bool Red)
{
    QPalette p = Edit->palette();
    p.setColor(QPalette::Text, Red ? Qt::red : Qt::black);
    Edit->setPalette(p);
}
