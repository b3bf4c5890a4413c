// The "Categorical Variables" dialog: edits the code characters of one
// categorical value.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "core/model/EntityClasses.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TCatEditDB : public QDialog {
    Q_OBJECT
public:
    explicit TCatEditDB(QWidget* Parent = nullptr);
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

// Shows the dialog for the slot's codes. On OK the codes are checked against
// the attribute's worksheet, packed into the slot and returned in Text; on
// Cancel the slot stays as it was. `exec` runs the dialog (tests replace it).
bool EditCategoryCodes(TValueSlot& Slot, const TAttrib& Attribute, const std::string& Caption, std::string& Text,
                       QWidget* Parent = nullptr,
                       const std::function<int(QDialog&)>& exec = [](QDialog& d) { return d.exec(); });
