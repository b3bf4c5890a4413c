// File names where they cross between Qt and the disk.
//
// A name that the user chose or typed in a dialog, gave on the command line,
// or that the settings keep, reaches the file system as the disk spells it
// (QFile::encodeName: UTF-8 on the disks of current systems) and comes back
// whole (QFile::decodeName). The program keeps such names as the disk's bytes.
//
// A name that one of the program's own files stores (a network file's
// backgrounds, the rows of a batch import specification) is kept there one byte per
// letter (Latin-1), as those formats have it; it becomes the disk's name only
// when the file it names is opened. A name with a letter that Latin-1 lacks
// cannot be stored so, and is refused where it would be.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>
#include <string_view>

// The bytes the file system takes for a name as Qt holds it.
inline std::string DiskName(const QString& Name)
{
    const QByteArray b = QFile::encodeName(Name);
    return std::string(b.constData(), size_t(b.size()));
}

// A name as the disk spells it, whole, for Qt (to show, to hand to a dialog).
inline QString ShownName(std::string_view Disk)
{
    return QFile::decodeName(QByteArray(Disk.data(), qsizetype(Disk.size())));
}

// The name as a file of the program stores it (Latin-1); false, with Stored
// untouched, when Latin-1 lacks one of its letters.
inline bool StoredName(const QString& Name, std::string& Stored)
{
    for (QChar c : Name)
        if (c.unicode() > 0xFF) return false;
    const QByteArray b = Name.toLatin1();
    Stored.assign(b.constData(), size_t(b.size()));
    return true;
}

// A stored name (Latin-1) as the disk spells it.
inline std::string DiskNameOfStored(std::string_view Stored)
{
    return DiskName(QString::fromLatin1(Stored.data(), qsizetype(Stored.size())));
}

// What a refusal of such a name says.
inline QString UnstorableNameText(const QString& Name)
{
    return QStringLiteral("The name \"%1\" cannot be stored: a file name kept in a network or batch file holds only "
                          "Latin-1 letters.")
        .arg(Name);
}
