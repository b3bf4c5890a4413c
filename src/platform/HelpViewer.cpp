#include "platform/HelpViewer.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"

#include <QFileInfo>
#include <QUrl>

THelpViewer::THelpViewer(const std::string& HelpFolder, QWidget* Parent)
    : QTextBrowser(Parent), FFolder(HelpFolder)
{
    setObjectName("HelpViewer");
    setWindowTitle("Tarvex Help");
    setWindowFlag(Qt::Window, true);
    setOpenExternalLinks(false);
    setSearchPaths({ShownName(FFolder)});
    resize(640, 520);
}

void THelpViewer::ShowPage(const std::string& File)
{
    QString path = ShownName(FFolder) + "/" + Latin1(File);
    if (!QFileInfo::exists(path)) {
        FCurrent.clear();
        setHtml("<h2>Tarvex Help</h2><p>The help pages were not found in " + ShownName(FFolder).toHtmlEscaped() +
                ".</p>");
    } else {
        FCurrent = File;
        setSource(QUrl::fromLocalFile(path));
    }
    show();
    raise();
}

void THelpViewer::ShowKeyword(const std::string&) { ShowPage("index.html"); }

void THelpViewer::ShowTopic(int Context)
{
    std::string page = "topic" + std::to_string(Context) + ".html";
    if (QFileInfo::exists(ShownName(FFolder) + "/" + Latin1(page)))
        ShowPage(page);
    else
        ShowPage("index.html");
}

void THelpViewer::CloseHelp() { hide(); }
