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

namespace {
// The characters of bytes 0x80..0x9F in Windows-1252 (0 where none).
constexpr char16_t Cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QString ShowText(std::string_view bytes)
{
    QString s;
    s.reserve(qsizetype(bytes.size()));
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u < 0xA0 && Cp1252High[u - 0x80])
            s += QChar(Cp1252High[u - 0x80]);
        else
            s += QChar(u);
    }
    return s;
}

std::string TypedText(const QString& text, size_t width, bool keepBreaks)
{
    std::string out;
    for (QChar q : text) {
        if (out.size() >= width) break;
        const char16_t c = q.unicode();
        if (c == '\r' || c == '\n') {
            out += keepBreaks ? char(c) : ' ';
            continue;
        }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += char(c);
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i)
            if (Cp1252High[i] && Cp1252High[i] == c) b = char(0x80 + i);
        out += b;
    }
    return out;
}

void MarkBad(QLineEdit* edit, bool bad)
{
    if (!edit) return;
    edit->setProperty("bad", bad);
    edit->setStyleSheet(bad ? "color: red" : "color: black");
}

bool IsMarkedBad(const QLineEdit* edit) { return edit && edit->property("bad").toBool(); }

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
