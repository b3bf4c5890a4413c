// The pickers other dialogs reuse ("Select Attribute", "Select Property",
// "Expression Edit"), the small dialogs of the Tools and Transform menus
// (Entity Open, name replacement, Move to Layer, Node Polygons), and the
// wiring of the schema commands and element presses into a sketch pad.
#pragma once

#include <string>

#include "core/edit/EditingDispatch.h"
#include "core/edit/SchemaEdit.h"
#include "schema/SchemaCommon.h"

class QListWidget;
class QPlainTextEdit;
class TSketchPadWindow;
class TZOKMainWindow;

// "Select Attribute": the attributes of one class; the chosen number (1..),
// 0 when cancelled.
int SelectAttribute(TSchemaContext& Context, const TClassRecord& Class, QWidget* Parent = nullptr);
// "Select Property" (or "Select Other Item" with OtherItem): the built-in
// properties of nodes (Links false) or links; the chosen code character, a
// blank when cancelled.
char SelectProperty(TSchemaContext& Context, bool Links, bool OtherItem = false, QWidget* Parent = nullptr);
// "Expression Edit" (or another caption): a memo over a long expression or a
// relation line; false when cancelled. Line breaks are removed from the
// result; OK is refused while what is left exceeds 255 characters.
bool EditExpressionMemo(TSchemaContext& Context, std::string& Text, QWidget* Parent = nullptr,
                        const std::string& Caption = "Expression Edit");

// The context of a pad's current network and settings, with the main
// window's dialog runner and message boxes.
TSchemaContext SchemaContextOf(TSketchPadWindow& Pad);

// The menu commands, each as its item does it.
bool EntityDefinitionCommand(TSketchPadWindow& Pad, TClassKind Kind);
bool SystemDefinitionCommand(TSketchPadWindow& Pad);
bool SystemAttributesCommand(TSketchPadWindow& Pad);
bool NodePolygonsCommand(TSketchPadWindow& Pad);
bool OpenEntityCommand(TSketchPadWindow& Pad, bool Links);
bool NameReplaceCommand(TSketchPadWindow& Pad, bool Links);
bool InitializeAttributesCommand(TSketchPadWindow& Pad, bool Links);
bool MoveToLayerCommand(TSketchPadWindow& Pad);

// Enters what the schema adds to the frame: its menu items (with those of
// Calculate and the searches) and the element dialogs a press opens.
void RegisterSchemaItems(TZOKMainWindow& Main);

// Puts the commands of the items Nodes2, Links2, System1, SystemAttributesM,
// PolygonNodesM, Nodes3, Links3, Nodes5, Links5, Nodes1, Links1 and
// MovetoLayer1 into the main window's item table (whose rules enable System
// Attributes while the system class has attributes and Polygon Nodes while
// there is a node class; the others always).
void RegisterSchemaPadItems(TZOKMainWindow& Main);

// The element dialogs a press asked for (node, link, attribute sheet, shape
// point long/lat). OK marks the network modified; the element is redrawn.
// True when a dialog was shown.
bool OpenElementDialogs(TSketchPadWindow& Pad, const TPressResult& Press);
