// trealedit: a line edit that holds a real number, and the text form it shows.
#pragma once

#include <string>

#include <QLineEdit>

// At most 50 characters: fixed-point with trailing zeros dropped ("100.",
// "0.", "-2.5") for 0 and 1e-6 <= |V| <= 1e8, else 8 significant digits with a
// two-digit exponent (" 1.2345679E+08").
std::string FormatRealText(double V);
// Strict decimal number (blanks around it allowed, one trailing "." dropped);
// false for anything else, "nan", "inf" and hex included.
bool ParseRealText(const std::string& Text, double& V);

class trealedit : public QLineEdit {
    Q_OBJECT
public:
    explicit trealedit(QWidget* Parent = nullptr) : QLineEdit(Parent) {}
    double Value = 0;
    void SetValue(double V);
    // Reads the text; bad text gives 0 and OK false; with NonNegative a value
    // below 0 also gives OK false. OK is never set to true here.
    double GetValue(bool NonNegative, bool& OK);
};
