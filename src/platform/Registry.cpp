#include "platform/Registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "platform/FileNames.h"
#include "platform/Latin1.h"

std::string TRegistry::DefaultIniFile()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty()) dir = QDir::homePath() + "/.config";
    return DiskName(QDir(dir).filePath("Tarvex/Tarvex.ini"));
}

TRegistry::TRegistry() : TRegistry(DefaultIniFile()) {}

TRegistry::TRegistry(const std::string& IniFile)
    : FSettings(std::make_unique<QSettings>(ShownName(IniFile), QSettings::IniFormat))
{
}

TRegistry::~TRegistry() = default;

std::string TRegistry::FileName() const { return DiskName(FSettings->fileName()); }

void TRegistry::OpenKey(const std::string& Key)
{
    std::string g;
    for (char c : Key) g += (c == '\\') ? '/' : c;
    while (!g.empty() && g.front() == '/') g.erase(g.begin());
    while (!g.empty() && g.back() == '/') g.pop_back();
    FGroup = g;
}

std::vector<std::string> TRegistry::GetValueNames() const
{
    FSettings->beginGroup(Latin1(FGroup));
    QStringList keys = FSettings->childKeys();
    FSettings->endGroup();
    std::vector<std::string> r;
    for (const QString& k : keys) r.push_back(Bytes(k));
    return r;
}

QString TRegistry::Value(const std::string& Name) const
{
    FSettings->beginGroup(Latin1(FGroup));
    QVariant v = FSettings->value(Latin1(Name));
    FSettings->endGroup();
    // A value typed by hand without quotes and holding commas reads back as a
    // list; put it together again.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',');
    return v.toString();
}

std::string TRegistry::ReadString(const std::string& Name) const { return Bytes(Value(Name)); }

std::string TRegistry::ReadFileName(const std::string& Name) const { return DiskName(Value(Name)); }

void TRegistry::WriteFileName(const std::string& Name, const std::string& DiskName)
{
    FSettings->beginGroup(Latin1(FGroup));
    FSettings->setValue(Latin1(Name), ShownName(DiskName));
    FSettings->endGroup();
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value)
{
    FSettings->beginGroup(Latin1(FGroup));
    FSettings->setValue(Latin1(Name), Latin1(Value));
    FSettings->endGroup();
}

bool TRegistry::Flush()
{
    FSettings->sync();
    return FSettings->status() == QSettings::NoError;
}
