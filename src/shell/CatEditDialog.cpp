#include "shell/CatEditDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/file/TextFormat.h"

TCatEditDB::TCatEditDB(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("CatEditDB");
    setWindowTitle("Categorical Variables");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(8);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
}

bool EditCategoryCodes(TValueSlot& Slot, const TAttrib& Attribute, const std::string& Caption, std::string& Text,
                       QWidget* Parent, const std::function<int(QDialog&)>& exec)
{
    TCatEditDB dialog(Parent);
    dialog.Label1->setText(QString::fromLatin1(Caption.substr(0, 50)));
    dialog.Edit1->setText(QString::fromLatin1(CategoryCodesForEdit(Slot, Attribute)));
    if (exec(dialog) != QDialog::Accepted) return false;
    const QByteArray typed = dialog.Edit1->text().toLatin1().left(8);
    Text = AcceptCategoryCodes(std::string_view(typed.constData(), size_t(typed.size())), Attribute, Slot);
    return true;
}
