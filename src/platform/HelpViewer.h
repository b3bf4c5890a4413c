// Help: the program's own HTML pages (help/index.html and its neighbours in the
// program folder), shown in a QTextBrowser window.
#pragma once

#include <string>

#include <QTextBrowser>

class THelpViewer : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpViewer(const std::string& HelpFolder, QWidget* Parent = nullptr);

    // "Contents" and "Index" both show the default topic; a topic number shows
    // topic<n>.html when it exists, else the default topic.
    void ShowKeyword(const std::string& Keyword);
    void ShowTopic(int Context);
    void CloseHelp();
    // The page shown last (empty when none could be found).
    std::string CurrentPage() const { return FCurrent; }

private:
    void ShowPage(const std::string& File);
    std::string FFolder, FCurrent;
};
