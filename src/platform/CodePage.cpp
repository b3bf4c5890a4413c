#include "platform/CodePage.h"

#include <algorithm>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/model/Messages.h"

namespace {
// The characters of bytes 0x80..0x9F in Windows-1252 (0 where none: such a
// byte shows as the control character of its number).
constexpr char16_t Cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr int MsgCharactersNotKept = 1001;
constexpr int CaptionCharactersNotKept = 1002;
constexpr size_t CharactersNamed = 8; // the message names at most these

// The byte of the code page that shows c; false when the code page has none.
bool CodePageByte(char32_t c, char& byte)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = char(c);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] ? Cp1252High[i] == c : c == char32_t(0x80 + i)) {
            byte = char(0x80 + i);
            return true;
        }
    return false;
}

QString FieldText(const QWidget* field)
{
    if (const auto* e = qobject_cast<const QLineEdit*>(field)) return e->text();
    if (const auto* m = qobject_cast<const QPlainTextEdit*>(field)) return m->toPlainText();
    if (const auto* c = qobject_cast<const QComboBox*>(field)) return c->currentText();
    return {};
}
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
    for (char32_t c : text.toUcs4()) {
        if (out.size() >= width) break;
        char b = '?';
        if (!keepBreaks && (c == '\r' || c == '\n'))
            b = ' ';
        else
            CodePageByte(c, b);
        out += b;
    }
    return out;
}

bool TypedTextsKept(const std::vector<QWidget*>& fields, TMessageSink* boxes)
{
    std::vector<char32_t> missing;
    for (QWidget* field : fields) {
        if (!field) continue;
        bool kept = true;
        char byte = 0;
        for (char32_t c : FieldText(field).toUcs4())
            if (!CodePageByte(c, byte)) {
                kept = false;
                if (std::find(missing.begin(), missing.end(), c) == missing.end()) missing.push_back(c);
            }
        // Only the mark this check set is taken away: a field's own checks keep theirs.
        if (!kept || field->property("notKept").toBool()) MarkBad(field, !kept);
        field->setProperty("notKept", !kept);
    }
    if (missing.empty()) return true;
    std::string named;
    for (size_t i = 0; i < missing.size() && i < CharactersNamed; ++i)
        named += (i ? ", U+" : " U+") + QString::number(uint(missing[i]), 16).rightJustified(4, '0').toUpper().toStdString();
    named += missing.size() > CharactersNamed ? ", ..." : ".";
    if (boxes)
        ShowMessageText(*boxes, MessageText(MsgCharactersNotKept) + named, MessageText(CaptionCharactersNotKept),
                        MB_EXCLAMATION_OK);
    return false;
}

void MarkBad(QWidget* edit, bool bad)
{
    if (!edit) return;
    edit->setProperty("bad", bad);
    edit->setStyleSheet(bad ? "color: red" : "color: black");
}

bool IsMarkedBad(const QWidget* edit) { return edit && edit->property("bad").toBool(); }
