#include "tools/ToolHelp.h"

#include "platform/HelpViewer.h"
#include "platform/ProgramFolder.h"

void ShowToolHelp(QWidget* Owner, int Context)
{
    auto* viewer = Owner->findChild<THelpViewer*>(QString(), Qt::FindDirectChildrenOnly);
    if (!viewer) viewer = new THelpViewer(ProgramDirectory() + "/help", Owner);
    viewer->ShowTopic(Context);
}
