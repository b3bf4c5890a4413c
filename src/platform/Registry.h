// The per-user settings store: a QSettings INI file in the user's
// configuration folder. Keys keep their registry form ("\Software\ZOK7\...")
// and become INI groups; value names are kept as they are.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QSettings;
class QString;

class TRegistry {
public:
    // The INI file in the user's configuration folder (Tarvex/Tarvex.ini).
    TRegistry();
    // An explicit INI file (tests, portable installs).
    explicit TRegistry(const std::string& IniFile);
    ~TRegistry();

    // The settings file's name, as the disk spells it.
    static std::string DefaultIniFile();
    std::string FileName() const;

    // Selects a key such as "\Software\ZOK7\ClosedFiles"; the INI file creates
    // groups on first write, so opening never fails.
    void OpenKey(const std::string& Key);
    std::vector<std::string> GetValueNames() const;
    std::string ReadString(const std::string& Name) const;
    void WriteString(const std::string& Name, const std::string& Value);
    // A value that names a file: kept in the settings file as the name reads,
    // whole, and handed back as the disk spells it (platform/FileNames.h).
    std::string ReadFileName(const std::string& Name) const;
    void WriteFileName(const std::string& Name, const std::string& DiskName);
    // Writes pending changes to disk; false when the file could not be written.
    bool Flush();

private:
    QString Value(const std::string& Name) const;

    std::unique_ptr<QSettings> FSettings;
    std::string FGroup;
};
