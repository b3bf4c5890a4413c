#include "shell/SmallDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/file/TextFormat.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "shell/RealEdit.h"
#include "shell/Viewport.h"

// The picture of the about box and the splash form: a small network.
static QPixmap NetworkPicture(int w, int h, QColor link)
{
    QPixmap pm(w, h);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF pts[] = {{0.15, 0.2}, {0.5, 0.12}, {0.85, 0.25}, {0.3, 0.55}, {0.7, 0.6}, {0.2, 0.88}, {0.8, 0.9}};
    const int links[][2] = {{0, 1}, {1, 2}, {0, 3}, {1, 3}, {1, 4}, {2, 4}, {3, 4}, {3, 5}, {4, 6}, {5, 6}};
    p.setPen(QPen(link, 3));
    for (auto& l : links)
        p.drawLine(QPointF(pts[l[0]].x() * w, pts[l[0]].y() * h), QPointF(pts[l[1]].x() * w, pts[l[1]].y() * h));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 0));
    for (auto& q : pts) p.drawEllipse(QPointF(q.x() * w, q.y() * h), 6, 6);
    return pm;
}

static QDialogButtonBox* OkCancel(QDialog* d)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    box->button(QDialogButtonBox::Ok)->setObjectName("OKBtn");
    box->button(QDialogButtonBox::Cancel)->setObjectName("CancelBtn");
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

// ---- About ----

TAboutDialog::TAboutDialog(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("AboutDialog");
    setWindowTitle("About Tarvex");
    auto* v = new QVBoxLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(NetworkPicture(151, 120, QColor(0, 0, 255)));
    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setPixmap(NetworkPicture(151, 120, QColor(255, 0, 0)));
    Image2->hide();
    Image1->installEventFilter(this);
    Image2->installEventFilter(this);
    StaticText2 = new QLabel("Tarvex", this);
    StaticText2->setObjectName("StaticText2");
    QFont f = StaticText2->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    StaticText2->setFont(f);
    StaticText1 = new QLabel(this);
    StaticText1->setObjectName("StaticText1");
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) version = "0.1";
    StaticText1->setText(QString("Version: %1-bit  ").arg(QSysInfo::WordSize) + version + "\n");
    Button1 = new QPushButton("Close", this);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    auto* pics = new QHBoxLayout;
    pics->addWidget(Image1);
    pics->addWidget(Image2);
    v->addLayout(pics);
    v->addWidget(StaticText2, 0, Qt::AlignHCenter);
    v->addWidget(StaticText1, 0, Qt::AlignHCenter);
    v->addWidget(Button1, 0, Qt::AlignHCenter);
}

bool TAboutDialog::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonPress && (Watched == Image1 || Watched == Image2)) {
        bool first = Watched == Image1;
        Image1->setVisible(!first);
        Image2->setVisible(first);
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

// ---- Splash ----

TSplash::TSplash(QWidget* Parent)
    : QWidget(Parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("Splash");
    setWindowTitle("Splash");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    QPixmap pm = NetworkPicture(151, 150, QColor(0, 0, 255));
    QPixmap full(151, 170);
    full.fill(Qt::white);
    QPainter p(&full);
    p.drawPixmap(0, 0, pm);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 150, 151, 20), Qt::AlignCenter, "Tarvex");
    p.end();
    Image1->setPixmap(full);
    Image1->setGeometry(0, 0, 151, 170);
    setFixedSize(151, 170);
}

void TSplash::ShowNow()
{
    if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
    show();
    repaint();
    QCoreApplication::processEvents();
}

// ---- Snap ----

TSnapDB::TSnapDB(int SnapStep, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("SnapDB");
    setWindowTitle("Snap");
    auto* form = new QFormLayout(this);
    SnapEB = new QSpinBox(this);
    SnapEB->setObjectName("SnapEB");
    SnapEB->setRange(1, 1000);
    SnapEB->setValue(SnapStep);
    form->addRow("Snap Distance:", SnapEB);
    auto* box = OkCancel(this);
    form->addRow(box);
    box->button(QDialogButtonBox::Ok)->setFocus();
}

// ---- Coordinates ----

TCoordinates::TCoordinates(int X, int Y, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("Coordinates");
    setWindowTitle("Coordinates");
    auto* form = new QFormLayout(this);
    XCoord = new QSpinBox(this);
    XCoord->setObjectName("XCoord");
    YCoord = new QSpinBox(this);
    YCoord->setObjectName("YCoord");
    // The cursor places new nodes: keep it inside the coordinate limits.
    for (QSpinBox* s : {XCoord, YCoord}) s->setRange(-CoordinateLimit + 1, CoordinateLimit - 1);
    XCoord->setValue(X);
    YCoord->setValue(Y);
    form->addRow("X Coordinate:", XCoord);
    form->addRow("Y Coordinate", YCoord);
    auto* box = OkCancel(this);
    form->addRow(box);
    box->button(QDialogButtonBox::Ok)->setFocus();
}

// ---- Link Splice Rules ----

TLinkSpliceRulesDB::TLinkSpliceRulesDB(TSpliceSettings& Rules, QWidget* Parent) : QDialog(Parent), FRules(Rules)
{
    setObjectName("LinkSpliceRulesDB");
    setWindowTitle("Link Splice Rules");
    auto* v = new QVBoxLayout(this);
    auto* add = new QGroupBox("Attributes to Add", this);
    auto* av = new QVBoxLayout(add);
    Edit1 = new QLineEdit(Latin1(Rules.AddList), add);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(30);
    CheckBox1 = new QCheckBox("Types must match to add", add);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(Rules.TypesMustMatch != 0);
    av->addWidget(Edit1);
    av->addWidget(CheckBox1);
    v->addWidget(add);
    auto* other = new QGroupBox("Otherwise", this);
    other->setObjectName("RadioGroup1");
    auto* ov = new QVBoxLayout(other);
    RadioGroup1 = new QButtonGroup(this);
    const char* items[] = {"Normal Initialize", "Upstream Link", "Downstream Link"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(items[i], other);
        RadioGroup1->addButton(r, i);
        ov->addWidget(r);
    }
    if (auto* b = RadioGroup1->button(Rules.Rule <= 2 ? Rules.Rule : 0)) b->setChecked(true);
    v->addWidget(other);
    v->addWidget(OkCancel(this));
}

void TLinkSpliceRulesDB::accept()
{
    FRules.SetAddList(Bytes(Edit1->text()));
    FRules.Rule = uint8_t(std::max(0, RadioGroup1->checkedId()));
    FRules.TypesMustMatch = CheckBox1->isChecked() ? 1 : 0;
    QDialog::accept();
}

// ---- Reinitialize Options ----

TReinitializeOptionsDB::TReinitializeOptionsDB(TReinitializeExemptions& Options, QWidget* Parent)
    : QDialog(Parent), FOptions(Options)
{
    setObjectName("ReinitializeOptionsDB");
    setWindowTitle("Reinitialize Options");
    auto* v = new QVBoxLayout(this);
    CheckBox1 = new QCheckBox("Exempt Names", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(Options.ExemptNames != 0);
    CheckBox2 = new QCheckBox("Exempt Attributes", this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setChecked(Options.ExemptAttributes != 0);
    v->addWidget(CheckBox1);
    v->addWidget(CheckBox2);
    v->addWidget(OkCancel(this));
}

void TReinitializeOptionsDB::accept()
{
    FOptions.ExemptNames = CheckBox1->isChecked() ? 1 : 0;
    FOptions.ExemptAttributes = CheckBox2->isChecked() ? 1 : 0;
    QDialog::accept();
}

// ---- Preferences ----

TPreferencesDB::TPreferencesDB(TUnitsSettings& Units, TMessageSink& Boxes, QWidget* Parent)
    : QDialog(Parent), FUnits(Units), FBoxes(Boxes)
{
    setObjectName("PreferencesDB");
    setWindowTitle("Preferences");
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    Edit1 = new trealedit(this);
    Edit1->setObjectName("Edit1");
    Edit1->Value = Units.UnitsFactor;
    Edit1->setText(Latin1(RealText(false, 15, Units.UnitsFactor)));
    form->addRow("Pixels per Linear Unit:", Edit1);
    v->addLayout(form);
    auto* group = new QGroupBox("Distance Units", this);
    group->setObjectName("RadioGroup1");
    auto* grid = new QGridLayout(group);
    RadioGroup1 = new QButtonGroup(this);
    const char* items[] = {"pixels", "mi", "ft", "km", "m"};
    for (int i = 0; i < 5; ++i) {
        auto* r = new QRadioButton(items[i], group);
        RadioGroup1->addButton(r, i);
        grid->addWidget(r, i / 3, i % 3);
    }
    if (auto* b = RadioGroup1->button(Units.UnitsCode >= 0 && Units.UnitsCode <= 4 ? Units.UnitsCode : 0))
        b->setChecked(true);
    v->addWidget(group);
    UpdateLongLatCB = new QCheckBox("Update long/lat on node move", this);
    UpdateLongLatCB->setObjectName("UpdateLongLatCB");
    UpdateLongLatCB->setChecked(Units.UpdateLongLat != 0);
    v->addWidget(UpdateLongLatCB);
    Button3 = new QPushButton("Compute Long/Lat Settings", this);
    Button3->setObjectName("Button3");
    auto* row = new QHBoxLayout;
    row->addWidget(Button3);
    row->addWidget(OkCancel(this));
    v->addLayout(row);
}

void TPreferencesDB::accept()
{
    bool ok = true;
    double v = Edit1->GetValue(false, ok);
    if (!ok || !(v > 0)) {
        ShowMessageBox(FBoxes, 462, 461, MB_EXCLAMATION_OK);
        Edit1->setStyleSheet("color: red");
        return;
    }
    Edit1->setStyleSheet("color: black");
    FUnits.UnitsFactor = v;
    FUnits.UnitsCode = std::max(0, RadioGroup1->checkedId());
    FUnits.UpdateLongLat = UpdateLongLatCB->isChecked() ? 1 : 0;
    FUnits.UnitsName = UnitsNameOf(FUnits.UnitsCode);
    QDialog::accept();
}

// ---- Extents ----

TExtentsDB::TExtentsDB(const TExtents& E, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ExtentsDB");
    setWindowTitle("Sketch Pad Extents");
    auto* form = new QFormLayout(this);
    auto spin = [&](const char* name, int value) {
        auto* s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(-CoordinateLimit, CoordinateLimit);
        s->setValue(value);
        return s;
    };
    TopSE = spin("TopSE", E.MinY);
    BottomSE = spin("BottomSE", E.MaxY);
    LeftSE = spin("LeftSE", E.MinX);
    RightSE = spin("RightSE", E.MaxX);
    form->addRow("Top:", TopSE);
    form->addRow("Bottom:", BottomSE);
    form->addRow("Left:", LeftSE);
    form->addRow("Right:", RightSE);
    form->addRow(OkCancel(this));
}

TExtents TExtentsDB::Result() const
{
    TExtents e;
    e.MinY = TopSE->value();
    e.MaxY = BottomSE->value();
    e.MinX = LeftSE->value();
    e.MaxX = RightSE->value();
    return e;
}

// ---- System attribute disposition ----

TSystemDispositionDB::TSystemDispositionDB(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("SystemDispositionDB");
    setWindowTitle("System Attribute Disposition");
    auto* v = new QVBoxLayout(this);
    Button2 = new QPushButton("Use Appended Network System Attribute Values", this);
    Button2->setObjectName("Button2");
    Button1 = new QPushButton("Use Existing System Attribute Values", this);
    Button1->setObjectName("Button1");
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    v->addWidget(Button2);
    v->addWidget(Button1);
}
