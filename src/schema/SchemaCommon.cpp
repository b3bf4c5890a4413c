#include "schema/SchemaCommon.h"

#include <cmath>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/model/WindowSettings.h"

double TSchemaContext::UnitsFactor() const
{
    const double u = Settings ? Settings->UnitsFactor : 1.0;
    return std::isfinite(u) && u != 0 ? u : 1.0;
}

QPushButton* NamedButton(QWidget* parent, const char* name, const char* text, const char* hint)
{
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(name);
    if (hint) b->setToolTip(QString::fromLatin1(hint));
    return b;
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons)
        if (b) row->addWidget(b);
    return row;
}
