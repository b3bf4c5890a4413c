#include "shell/RealEdit.h"

#include <cmath>
#include <charconv>

#include "core/model/Rounding.h"
#include "platform/Latin1.h"

std::string FormatRealText(double V)
{
    if (!std::isfinite(V)) return "0.";
    double a = std::fabs(V);
    char buf[128];
    if (V == 0 || (a >= 0.000001 && a <= 100000000.0)) {
        double e = V == 0 ? 1.0 : std::log10(a);
        int d = e >= 0 ? int(ptrunc(e)) + 1 : int(ptrunc(e));
        int decimals = 12 - d;
        if (decimals < 0) decimals = 0;
        auto r = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::fixed, decimals);
        std::string s(buf, r.ptr);
        size_t keep = V < 0 ? 16 : 15;
        if (s.size() > keep) s.resize(keep);
        if (s.find('.') != std::string::npos)
            while (!s.empty() && s.back() == '0') s.pop_back();
        return s;
    }
    // Scientific: sign blank or "-", one digit, ".", seven digits, "E", sign, exponent.
    auto r = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::scientific, 7);
    std::string s(buf, r.ptr);
    size_t epos = s.find('e');
    if (epos == std::string::npos || epos + 2 >= s.size()) return s;
    std::string mant = s.substr(0, epos);
    char sign = s[epos + 1];
    std::string digits = s.substr(epos + 2);
    while (digits.size() < 2) digits.insert(digits.begin(), '0');
    digits = digits.substr(digits.size() - 2);
    if (V >= 0) mant.insert(mant.begin(), ' ');
    return mant + "E" + sign + digits;
}

bool ParseRealText(const std::string& Text, double& V)
{
    size_t a = 0, b = Text.size();
    while (a < b && Text[a] == ' ') ++a;
    while (b > a && Text[b - 1] == ' ') --b;
    std::string t = Text.substr(a, b - a);
    if (!t.empty() && t.back() == '.') t.pop_back();
    // sign? digits [. digits] [(e|E) sign? digits]
    size_t i = 0, n = t.size();
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    size_t intDigits = 0, fracDigits = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9') { ++i; ++intDigits; }
    if (i < n && t[i] == '.') {
        ++i;
        while (i < n && t[i] >= '0' && t[i] <= '9') { ++i; ++fracDigits; }
    }
    if (intDigits + fracDigits == 0) return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < n && t[i] >= '0' && t[i] <= '9') { ++i; ++expDigits; }
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    if (!t.empty() && t[0] == '+') t.erase(t.begin());
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return false;
    V = v;
    return true;
}

void trealedit::SetValue(double V)
{
    Value = V;
    setText(Latin1(FormatRealText(V)));
}

double trealedit::GetValue(bool NonNegative, bool& OK)
{
    double v = 0;
    if (!ParseRealText(Bytes(text()), v)) {
        Value = 0;
        OK = false;
        return Value;
    }
    Value = v;
    if (NonNegative && v < 0) OK = false;
    return Value;
}
