// The per-user settings store: a QSettings INI file in the user's
// configuration folder. Keys keep their registry form ("\Software\ZOK7\...")
// and become INI groups; value names are kept as they are.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QSettings;

class TRegistry {
public:
    // The INI file in the user's configuration folder (Tarvex/Tarvex.ini).
    TRegistry();
    // An explicit INI file (tests, portable installs).
    explicit TRegistry(const std::string& IniFile);
    ~TRegistry();

    static std::string DefaultIniFile();
    std::string FileName() const;

    // Selects a key such as "\Software\ZOK7\ClosedFiles"; the INI file creates
    // groups on first write, so opening never fails.
    void OpenKey(const std::string& Key);
    std::vector<std::string> GetValueNames() const;
    std::string ReadString(const std::string& Name) const;
    void WriteString(const std::string& Name, const std::string& Value);
    // Writes pending changes to disk; false when the file could not be written.
    bool Flush();

private:
    std::unique_ptr<QSettings> FSettings;
    std::string FGroup;
};
