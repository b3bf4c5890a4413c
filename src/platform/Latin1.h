// Where text crosses into Qt: the program keeps text as bytes in the files'
// code page, and Qt shows and returns it as Latin-1.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

inline QString Latin1(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

inline std::string Bytes(const QString& s)
{
    const QByteArray b = s.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
}
