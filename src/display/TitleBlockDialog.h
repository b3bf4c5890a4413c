// "Description": the title block of a window (five texts, a description,
// what is shown, the block's world position and one label font slot per
// text; a double click on a font label chooses its slot).
#pragma once

#include <array>
#include <cstdint>

#include <QDialog>

#include "core/model/TitleBlock.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TSketchPadWindow;
class TStoredSpinBox;

class TDescriptionBox : public QDialog {
    Q_OBJECT
public:
    explicit TDescriptionBox(TSketchPadWindow& Pad, QWidget* Parent = nullptr);

    QLineEdit *projecteb = nullptr, *Jobeb = nullptr, *customereb = nullptr, *authoreb = nullptr,
              *organizationeb = nullptr;
    QPlainTextEdit* descriptioneb = nullptr;
    QCheckBox *doprojectcb = nullptr, *dojobcb = nullptr, *docustomercb = nullptr, *doauthorcb = nullptr,
              *doorganizationcb = nullptr, *dodescriptioncb = nullptr;
    QCheckBox *CaptionsCB = nullptr, *drawboxcb = nullptr, *TodayCB = nullptr;
    TStoredSpinBox *xeb = nullptr, *yeb = nullptr;
    // Font slots of project, organization, job, client, author, description.
    enum { ProjectSlot, OrganizationSlot, JobSlot, ClientSlot, AuthorSlot, DescriptionSlot };
    std::array<int32_t, 6> Fonts{};
    std::array<QLabel*, 6> FontLabels{};

    // A double click on a font label: "Label Font" on its slot.
    void ChooseFont(int Which);
    // OK: every field into the title block.
    void Store(TDescription& Description) const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    // OK: only texts the network file can keep.
    void accept() override;

private:
    void ShowFont(int Which);
    TSketchPadWindow& FPad;
};
