#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QString>

int TQtMessageBoxes::MessageBox(const std::string& Text, const std::string& Caption, int Flags)
{
    return MessageBox(Latin1(MessageTextForDisplay(Text)), Latin1(Caption), Flags);
}

int TQtMessageBoxes::MessageBox(const QString& Text, const QString& Caption, int Flags)
{
    QMessageBox box(FParent);
    box.setWindowTitle(Caption);
    box.setText(Text);
    switch (Flags & MB_ICONMASK) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (Flags & MB_BUTTONMASK) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNOCANCEL: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
    }
}

int ShowMessageNamingFiles(TMessageSink& Sink, const QString& Text, const std::string& Caption, int Flags)
{
    if (auto* screen = dynamic_cast<TQtMessageBoxes*>(&Sink)) return screen->MessageBox(Text, Latin1(Caption), Flags);
    const QByteArray bytes = Text.toUtf8();
    return Sink.MessageBox(std::string(bytes.constData(), size_t(bytes.size())), Caption, Flags);
}
