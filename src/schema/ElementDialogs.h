// The dialogs of one node or link: "Node Entity" and "Link Entity" with
// their format, long/lat, elevations and property reports, and the symbol
// image viewer. Each works on copies and writes the element only on OK.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/calc/AttributeValues.h"
#include "schema/SchemaCommon.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TSymbolImages;
class trealedit;

// The label and symbol settings of one element.
struct TEntityFormat {
    uint8_t Font = 0, Place = 0, Label1 = 0, Label2 = 0, PolygonStyle = 0, BitmapOverride = 0, SuppressLabel = 0;
    int16_t LabelXOffset = 0, LabelYOffset = 0;
};
TEntityFormat FormatOf(const TNode& node);
TEntityFormat FormatOf(const TLinkValues& link);
void StoreFormat(const TEntityFormat& f, TNode& node);
void StoreFormat(const TEntityFormat& f, TLinkValues& link);

// "View Node Bitmaps" / "View Link Bitmaps".
class TViewBitmapsDB : public QDialog {
    Q_OBJECT
public:
    TViewBitmapsDB(const TSymbolImages* Images, bool Links, int Number, QWidget* Parent = nullptr);
    QSpinBox* BitmapSE;
    QLabel* Image1;
    QPushButton *OKBtn, *CancelBtn;
    void ShowNumber(int Number);

private:
    const TSymbolImages* Images;
    bool Links;
};

// "Entity Format".
class TEntityFormatDB : public QDialog {
    Q_OBJECT
public:
    TEntityFormatDB(TSchemaContext& Context, TEntityFormat& Format, bool Links, int ClassNo,
                    const TLink* Link = nullptr, QWidget* Parent = nullptr);
    QComboBox *PlaceCB, *FontCB, *FirstCB, *SecondCB, *PolygonStyleCB;
    QSpinBox *XOffsetSE, *YOffsetSE;
    QLineEdit* BitmapEB;
    QCheckBox* SuppressCB;
    QPushButton *GuessBtn, *OKBtn, *CancelBtn;
    const TSymbolImages* Images = nullptr; // set by the caller for the bitmap viewer
    void BitmapDoubleClick();
    void GuessOffset();

protected:
    void accept() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TSchemaContext& Ctx;
    TEntityFormat& Format;
    bool Links;
    const TLink* Link;
};

// Longitude, latitude, elevation and the triangulation exclusion of a point.
struct TPointGeo {
    int32_t Longitude = 0, Latitude = 0, Elevation = 0;
    uint8_t Exclude = 0;
};

// "Entity Longitude/Latitude/Elevation" of a node or a shape point. OK checks
// the values and keeps them in Geo; the caller writes them.
class TLongLatDB : public QDialog {
    Q_OBJECT
public:
    TLongLatDB(TSchemaContext& Context, TNetworkPoint& Point, TPointGeo& Geo, QWidget* Parent = nullptr);
    trealedit *LongitudeEdit, *LatitudeEdit, *ElevationEdit;
    QLabel *HeadingLabel, *LocationLabel, *OwnersLabel;
    QCheckBox* ExcludeCB;
    QPushButton *OKBtn, *CancelBtn, *ComputeXYBtn, *ComputeElevationBtn, *LinkBtn;
    void ComputeFromXY();
    void ComputeElevation();

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    TNetworkPoint& Point;
    TPointGeo& Geo;
};

// "Link Elevations".
class TLinkElevationsDB : public QDialog {
    Q_OBJECT
public:
    TLinkElevationsDB(TSchemaContext& Context, TLink& Link, QWidget* Parent = nullptr);
    QLabel *AElevationLabel, *BElevationLabel;
    QCheckBox* LockCB;
    QPushButton *InterpolateBtn, *OKBtn, *CancelBtn;

protected:
    void accept() override;

private:
    TSchemaContext& Ctx;
    TLink& Link;
};

// "Node Properties" / "Link Properties".
class TPropertiesDB : public QDialog {
    Q_OBJECT
public:
    TPropertiesDB(TSchemaContext& Context, const TNode* Node, const TLink* Link, QWidget* Parent = nullptr);
    QPlainTextEdit* PropertiesMemo;
    QPushButton *CloseBtn, *NestednessBtn;
    void NestednessClick();
    std::vector<std::string> Lines() const;

private:
    TSchemaContext& Ctx;
    const TNode* Node;
    const TLink* Link;
};

// "Node Entity" and "Link Entity".
class TEntityDB : public QDialog {
    Q_OBJECT
public:
    // Exactly one of Node and Link (a half-edge) is given.
    TEntityDB(TSchemaContext& Context, TNode* Node, TLink* Link, QWidget* Parent = nullptr);

    TElementEdit Edit; // EditValues and EditStrings
    TEntityFormat Format;
    TPointGeo Geo;
    int ClassNo = 0;
    bool ClassChosen = false;
    const TSymbolImages* Images = nullptr;

    QComboBox* TypeCB;
    QLineEdit* NameEdit;
    QComboBox* LayerCB = nullptr;
    QLabel *Size1Label, *Size2Label, *LocationLabel;
    QPlainTextEdit* NoteMemo;
    QComboBox* OrientationCB = nullptr;
    QLabel* DirectionLabel = nullptr;
    QPushButton *FormatBtn, *AttributesBtn, *LongLatBtn = nullptr, *PropertiesBtn, *ElevationsBtn = nullptr;
    QPushButton *MoreBtn = nullptr, *OKBtn, *CancelBtn;
    QWidget* MorePanel = nullptr;

    void TypeChanged();
    void UpdateSizes();
    void AttributesClick();
    void FormatClick();
    void LongLatClick();
    void PropertiesClick();
    void ElevationsClick();
    std::string NoteText() const;

protected:
    void accept() override;

private:
    const TClassRecord* ClassRecord(int c) const;
    TSchemaContext& Ctx;
    TNode* Node;
    TLink* Link;
    bool WasClockwise = false;
};

// The note of an element as memo lines, and memo lines as a note ("&&" after each line).
std::vector<std::string> NoteLines(const std::string& note);
std::string JoinNoteLines(const std::vector<std::string>& lines);

// Opens the node dialog or the link dialog and returns its result; the
// element is drawn without its label meanwhile.
int ShowNodeDialog(TSchemaContext& Context, TNode& Node, const TSymbolImages* Images = nullptr);
int ShowLinkDialog(TSchemaContext& Context, TLink& Link, const TSymbolImages* Images = nullptr);
// The attribute sheet on an element's values only (right click of the open
// modes); nothing when its class has no attributes. Returns the result.
int ShowElementAttributes(TSchemaContext& Context, TNode* Node, TLink* Link);
