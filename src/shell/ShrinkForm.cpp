#include "shell/ShrinkForm.h"

#include <QAbstractButton>
#include <QLayout>
#include <QTabWidget>

#include "platform/WindowPlacement.h"

TShrinkForm::TShrinkForm(QWidget* Parent) : QDialog(Parent) {}

// The number that follows Prefix in Name, 0 when there is none.
static int NumberAfter(const QString& Name, const QString& Prefix)
{
    if (!Name.startsWith(Prefix)) return 0;
    bool ok = false;
    int n = Name.mid(Prefix.size()).toInt(&ok);
    return ok ? n : 0;
}

void TShrinkForm::FindRows()
{
    // The form starts at the size its controls ask for (a dialog made with a
    // parent would otherwise start at its smallest, cutting every box).
    WidenNameBoxes(*this);
    if (layout()) {
        layout()->activate();
        adjustSize();
        layout()->activate();
    }
    FontPixels = fontMetrics().height() * logicalDpiY() / 120;
    RowCount = 0;
    FullHeight = height();
    HasPageControl = 0;
    HasRows = 0;
    TabCount = 0;
    Rows.fill(nullptr);
    Tabs.fill(nullptr);
    PageControl = nullptr;
    for (QWidget* w : findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.startsWith("RadioButton")) {
            int n = NumberAfter(name, "RadioButton");
            if (n >= 1 && n <= 100 && !Rows[size_t(n)]) {
                Rows[size_t(n)] = w;
                ++RowCount;
                HasRows = 1;
            }
        } else if (name.startsWith("PageControl")) {
            if (auto* tw = qobject_cast<QTabWidget*>(w)) {
                PageControl = tw;
                HasPageControl = 1;
            }
        } else if (name.startsWith("TabSheet")) {
            int n = NumberAfter(name, "TabSheet");
            if (n >= 1 && n <= 10) {
                Tabs[size_t(n)] = w;
                TabCount = std::max(TabCount, n);
            }
        }
    }
    if (PageControl) PageFullHeight = PageControl->height();
    RowPitch = 0;
    if (Rows[1] && Rows[8]) RowPitch = int(std::lround((Rows[8]->y() - Rows[1]->y()) / 7.0));
}

void TShrinkForm::AddRowWidget(int Row, QWidget* W) { FRowWidgets.emplace_back(Row, W); }

void TShrinkForm::PrepareShrunk(int ACount, int AMode, int AMinRows, void* AData)
{
    Data = AData;
    if (RowPitch == 0) RowPitch = FallbackRowPitch;
    if (RowCount == 0) RowCount = FallbackRowCount;
    MinRows = AMinRows;
    Count = std::clamp(ACount, 0, 100);
    int r = HasPageControl ? 10 : RowCount;
    ShrinkByMinRows = (r - MinRows) * RowPitch;
    if (HasPageControl)
        ShrinkByCount = Count >= 10 ? 0 : (10 - Count) * RowPitch;
    else
        ShrinkByCount = (RowCount - Count) * RowPitch;
    ShrinkAmount = std::max(0, std::min(ShrinkByMinRows, ShrinkByCount));
    if (HasRows) {
        for (int n = 1; n <= 100; ++n) {
            if (!Rows[size_t(n)]) continue;
            Rows[size_t(n)]->setVisible(n <= Count);
            Rows[size_t(n)]->setProperty("tag", n);
        }
    }
    for (auto& [row, w] : FRowWidgets) w->setVisible(row <= Count);
    if (HasPageControl) {
        for (int k = 1; k <= TabCount; ++k) {
            if (!Tabs[size_t(k)]) continue;
            int index = PageControl->indexOf(Tabs[size_t(k)]);
            if (index >= 0) PageControl->setTabVisible(index, (k - 1) * 10 < Count);
        }
        PageControl->resize(PageControl->width(), PageFullHeight - ShrinkAmount);
    }
    Mode = AMode;
    resize(width(), FullHeight - ShrinkAmount);
}

int TShrinkForm::ShowShrunk(int ACount, int AMode, int AMinRows, void* AData)
{
    PrepareShrunk(ACount, AMode, AMinRows, AData);
    return exec();
}

int TShrinkForm::CheckedRow() const
{
    for (int n = 1; n <= 100; ++n)
        if (auto* b = qobject_cast<QAbstractButton*>(Rows[size_t(n)]); b && b->isChecked()) return n;
    return 0;
}
