#include "app/Features.h"

#include "display/DisplayCommands.h"
#include "schema/SchemaCommands.h"
#include "shell/MainWindow.h"
#include "tools/ToolCommands.h"

void RegisterFeatures(TZOKMainWindow& Main)
{
    RegisterSchemaItems(Main);
    RegisterDisplayItems(Main);
    RegisterToolItems(Main);
}
