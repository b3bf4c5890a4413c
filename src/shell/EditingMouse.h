// Mouse editing of a sketch pad. A press in any sketch mode goes through the
// headless SketchPress (core/EditingDispatch.h); TPadEditor, a child object
// of the pad that watches its viewport, maps the mouse to the world, handles
// the zoom clicks, keeps the window's editing state and afterwards updates the
// pad, the other views of its network and the main window's panels and
// buttons.
#pragma once

#include <QObject>

#include <memory>
#include <QPoint>

#include "core/edit/EditingDispatch.h"
#include "core/edit/Transforms.h"

class TSketchPadWindow;

class TPadEditor : public QObject {
    Q_OBJECT
public:
    explicit TPadEditor(TSketchPadWindow& Pad);

    // The pad's editor, made and attached on first use.
    static TPadEditor& Of(TSketchPadWindow& Pad);

    TEditState Edit;

    // A mode chosen (its button, menu item or key, also the mode it has
    // already, and the window's own mode as it becomes active): the picks and
    // the gesture under way are dropped, so that the next click starts
    // afresh (Polygon Insert takes a new owner). Only a placing state that
    // the window is in keeps what it holds (the node Node Move took, the link
    // Link Split took, the segment of Insert Shape Point).
    void ChooseMode(uint8_t Mode);

    // A press at a pixel of the pad's viewport; the middle button acts as the
    // left one.
    TPressResult Press(Qt::MouseButton Button, QPoint Pixel);
    // The Undelete button and the Insert key; nothing when nothing is deleted.
    TUndeleteResult UndeleteLast();
    // The window closes: a node that Node Move holds stays deleted.
    void DropHeldNode();
    // Before a save: a node that Node Move holds (mode 13) or a link that
    // Link Split holds (mode 15) goes back where it was, as Undelete puts it
    // back, so that the file holds the whole network.
    void PutBackHeld();
    // The "&Undo Shape Remove" menu item.
    bool UndoShapeRemove();
    // Another view freed a shape point: drop every reference to it.
    void Forget(const TNetworkPoint* Point);
    // The pad's network is about to be replaced or freed: the editing state
    // and the pad's picks let go of it.
    void ForgetNetwork();
    // Reinitialize Undo and Reinitialize All Undefined (nodes or links).
    bool ReinitializeUndo();
    int32_t ReinitializeUndefined(bool Links);
    // A geometric transform of the network, then every window of it takes the
    // new extents, scroll positions 0 and its cursor transformed.
    bool Transform(int Kind, TTransformParams& Params);
    // Scale by Two (2) and Scale by Half (0.5), recorded for undo.
    void QuickScale(double Factor);
    // The Undelete button (for the current pad) and this pad's undo items
    // follow the editing state.
    void UpdateCommands();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSketchPadWindow& Pad;
    // Set while the press that made this pad the active window is delivered:
    // that press only activates.
    bool ActivatingPress = false;
    bool IsActiveForm() const;
    // The network the editing state refers to; a window that gets another
    // network (a file opened into it) starts afresh.
    std::weak_ptr<TNetwork> EditedNetwork;
    void SyncMode();
    // The editing state takes Mode (SetSketchMode), and the other windows of
    // the network learn of a node that Node Move left deleted.
    void SetMode(uint8_t Mode);
    // A Calculate run, or a print of this network, is under way: no changes.
    bool Blocked() const;
    void After(const TPressResult& R, uint8_t ModeBefore);
};
