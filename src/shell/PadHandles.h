// The small controls a network window lays over its picture in Select
// Object mode and for plotting: the dotted frame of a selected background
// picture with its eight handles (`ShapeFrame`, `ShapeTop`, ...), the marker
// of a selected title block or legend (`AnObject`), the drags of the point
// marker (`ShapeNode`), and the two margin handles of the plot page
// (`TopBar`, `BottomBar`). A child object of the window, made on first use.
#pragma once

#include <array>

#include <QObject>
#include <QPoint>

#include "core/edit/PadObjects.h"

class QWidget;
class TSketchPadWindow;

class TPadHandles : public QObject {
    Q_OBJECT
public:
    explicit TPadHandles(TSketchPadWindow& Pad);
    static TPadHandles& Of(TSketchPadWindow& Pad);

    TSketchPadWindow& Pad;

    // ---- background frame
    int SelectedRaster = 0, SelectedMetafile = 0; // 1..10, 0 none
    bool FrameShown = false;
    TPixelRect Frame; // left, top, right, bottom in viewport pixels
    std::array<QWidget*, FrameControlCount> Controls{};
    // Shows or hides the frame and its handles; hiding clears the selection.
    void ShowBackgroundFrame(bool Show);
    // Selects a picture and shows the frame around it; false when the slot
    // holds no picture.
    bool SelectBackground(const TBackgroundHit& Hit);
    // The frame from the selected picture's place (after a scroll or zoom).
    void PlaceFrameFromPicture();
    // Places the frame and handles on Frame, then fits the selected picture to it.
    void FitBackgroundToFrame(bool FitWidth, bool FitHeight);

    // ---- title block and legends
    QWidget* AnObject = nullptr;
    TPadObject SelectedObject = ObjectNone;
    // Shows the marker centred on the object's anchor; ObjectNone hides it.
    void ShowObjectMarker(TPadObject Object);

    // ---- plot margins
    QWidget *TopBar = nullptr, *BottomBar = nullptr;
    // Shown with the page rectangle when the setup passes its check.
    void PlaceMarginHandles();

    // Select Object after its pick: a point hit hides the frame and the
    // object marker; a miss at world (X, Y) tries the pictures, then the
    // title block and the legends.
    void SelectOther(bool PointHit, int32_t X, int32_t Y);
    // Mode 0 arrow keys: the frame, or else the point marker, moves by
    // (Dx, Dy) pixels as a drag would move it; false when neither is shown.
    bool Nudge(int Dx, int Dy);
    // After a scroll or a zoom: every control follows what it marks.
    void Reposition();
    // A mode change, a zoom or a dialog: the frame and the object marker go.
    void HideSelection();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool FDragging = false;
    QPoint FPress;      // press offset inside the dragged control
    int FControl = -1;  // frame control being dragged
    TBox FDragBox = EmptyBox;
    bool PictureSize(bool Metafile, int Slot, double& W, double& H) const;
    TPixelMap Map() const;
    void PlaceControls();
    void FrameEvent(int Control, int Type, QPoint Pos);
    void PointEvent(int Type, QPoint Pos);
    void ObjectEvent(int Type, QPoint Pos);
    void BarEvent(QWidget* Bar, int Type, Qt::MouseButton Button, QPoint Pos);
    void MovePointTo(QPoint MarkerTopLeft);
    bool ObjectAnchor(TPadObject Object, int32_t& X, int32_t& Y) const;
    void SetObjectAnchor(TPadObject Object, int32_t X, int32_t Y);
};
