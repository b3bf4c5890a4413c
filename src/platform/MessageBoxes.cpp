#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QString>

std::string BoxLineBreaks(const std::string& Text)
{
    std::string r;
    r.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        char c = Text[i];
        if (c == '\n' && i + 1 < Text.size() && Text[i + 1] == '\r') {
            r += '\n';
            ++i;
        } else if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
            r += '\n';
            ++i;
        } else {
            r += c;
        }
    }
    return r;
}

int TQtMessageBoxes::Show(const std::string& Text, const std::string& Caption, int Flags)
{
    QMessageBox box(FParent);
    box.setWindowTitle(QString::fromLatin1(Caption.data(), qsizetype(Caption.size())));
    std::string t = BoxLineBreaks(Text);
    box.setText(QString::fromLatin1(t.data(), qsizetype(t.size())));
    switch (Flags & 0xF0) {
    case BoxIconStop: box.setIcon(QMessageBox::Critical); break;
    case BoxIconQuestion: box.setIcon(QMessageBox::Question); break;
    case BoxIconExclamation: box.setIcon(QMessageBox::Warning); break;
    case BoxIconInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (Flags & 0x0F) {
    case BoxOkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case BoxYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case BoxYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return IdOk;
    case QMessageBox::Yes: return IdYes;
    case QMessageBox::No: return IdNo;
    default: return IdCancel;
    }
}

int TMessageRecorder::Show(const std::string& Text, const std::string& Caption, int Flags)
{
    Shown.push_back({Text, Caption, Flags});
    if (!Answers.empty()) {
        int a = Answers.front();
        Answers.pop_front();
        return a;
    }
    return (Flags & 0x0F) == BoxOk ? IdOk : IdCancel;
}
