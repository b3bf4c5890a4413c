// Window tests never open a real file dialog: every main window they make
// gets this chooser, which answers as a cancelled dialog and counts the asks.
#pragma once

#include "shell/DocumentIO.h"

class TNoFileDialogs : public TFileChooser {
public:
    int Asked = 0;
    std::vector<std::string> OpenFiles(QWidget*, const std::string&) override
    {
        ++Asked;
        return {};
    }
    std::string OpenFile(QWidget*, const std::string&) override
    {
        ++Asked;
        return {};
    }
    std::string SaveFile(QWidget*, const std::string&, const std::string&) override
    {
        ++Asked;
        return {};
    }
};

inline TNoFileDialogs& NoFileDialogs()
{
    static TNoFileDialogs chooser;
    return chooser;
}
