#include "machine/ui/sterowanieform.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/programfolders.h"
#include "app/units.h"
#include "machine/machinekeys.h"
#include "machine/machinesession.h"
#include "machine/panelkeys.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kControl = QStringLiteral("Control");

QLabel *label(const char *name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QScrollBar *scrollBar(const char *name, Qt::Orientation o, QWidget *parent)
{
    auto *s = new QScrollBar(o, parent);
    s->setObjectName(QLatin1String(name));
    return s;
}

// A value label keeps the width of the widest value it may show, so that
// the panel does not shift while the machine moves.
void reserveWidth(QLabel *label, const QStringList &widest)
{
    int width = 0;
    for (const QString &text : widest)
        width = std::max(width, label->fontMetrics().horizontalAdvance(text));
    label->setMinimumWidth(width + 2 * label->margin() + 4);
}

// A group keeps the width of the widest title it may take.
void reserveTitleWidth(QGroupBox *box, const QStringList &titles)
{
    const QString shown = box->title();
    int width = 0;
    for (const QString &title : titles) {
        box->setTitle(title);
        width = std::max(width, box->minimumSizeHint().width());
    }
    box->setTitle(shown);
    box->setMinimumWidth(width);
}

// The heating button's lamp, drawn when the pictures are not installed:
// glowing red while the wire heats, dark while it is off.
QIcon heatingLamp()
{
    QIcon icon;
    for (const bool on : {false, true}) {
        QPixmap picture(48, 48);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        QRadialGradient glow(QPointF(20, 18), 26);
        glow.setColorAt(0, on ? QColor(255, 220, 160) : QColor(150, 150, 150));
        glow.setColorAt(0.5, on ? QColor(255, 40, 0) : QColor(80, 80, 80));
        glow.setColorAt(1, on ? QColor(170, 0, 0) : QColor(40, 40, 40));
        painter.setPen(QPen(QColor(20, 20, 20), 2));
        painter.setBrush(glow);
        painter.drawEllipse(QRectF(4, 4, 40, 40));
        icon.addPixmap(picture, QIcon::Normal, on ? QIcon::On : QIcon::Off);
    }
    return icon;
}

} // namespace

TsterForm::TsterForm(QWidget *parent)
    // A tool window of its parent (the main window): the window manager keeps
    // it above the main window and takes it along between desktops.
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("ster"));
    QFont bold = font();
    bold.setPointSize(10);
    bold.setBold(true);
    setFont(bold);
    setFocusPolicy(Qt::StrongFocus);

    // The window takes the size its texts need in the chosen language, at
    // least 800 x 570, and keeps it: the jog buttons stay where they are.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    m_main = new QFrame(this);
    m_main->setObjectName(QStringLiteral("pGlowny"));
    m_main->setMinimumSize(800, 570);
    outer->addWidget(m_main);
    auto *mainLayout = new QVBoxLayout(m_main);
    auto *top = new QHBoxLayout;
    auto *bottom = new QHBoxLayout;
    mainLayout->addLayout(top);
    mainLayout->addLayout(bottom);

    m_positions = new QGroupBox(m_main);
    m_positions->setObjectName(QStringLiteral("groupBox1"));
    auto *positions = new QGridLayout(m_positions);
    const char *names[] = {"wmxf", "wmyf", "wmxb", "wmyb", "wmz", "wms", "wmw"};
    const char *axes[] = {"X1", "Y1", "X2", "Y2", "Z", "S", "W"};
    for (int i = 0; i < 7; ++i) {
        QLabel *axis = label("", m_positions);
        axis->setText(QLatin1String(axes[i]));
        positions->addWidget(axis, i, 0);
        QLabel *value = label(names[i], m_positions);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Millimetres of the longest travel, or inches with three decimals.
        reserveWidth(value, {QStringLiteral("-88888.88"), QStringLiteral("-888.888")});
        m_labels[QLatin1String(names[i])] = value;
        positions->addWidget(value, i, 1);
    }
    m_align = new QPushButton(m_positions);
    m_align->setObjectName(QStringLiteral("sbWyrownajBackToFront"));
    m_align->setText(QStringLiteral("<="));
    m_align->setFocusPolicy(Qt::NoFocus);
    positions->addWidget(m_align, 2, 2, 2, 1);
    connect(m_align, &QPushButton::clicked, this, [this] { emit alignRequested(); });
    m_backLabel = label("LBack", m_positions);
    positions->addWidget(m_backLabel, 7, 1);
    m_keyFront = new QCheckBox(m_positions);
    m_keyFront->setObjectName(QStringLiteral("KeyFront"));
    m_keyFront->setChecked(true);
    positions->addWidget(m_keyFront, 8, 0);
    m_keyBack = new QCheckBox(m_positions);
    m_keyBack->setObjectName(QStringLiteral("KeyBack"));
    m_keyBack->setChecked(true);
    positions->addWidget(m_keyBack, 8, 1);
    positions->setRowStretch(9, 1);
    m_keyFront->hide();
    m_keyBack->hide();
    m_backLabel->hide();
    m_align->hide();
    connect(m_keyFront, &QCheckBox::clicked, this, [this](bool on) { emit keyFrontChanged(on); });
    connect(m_keyBack, &QCheckBox::clicked, this, [this](bool on) { emit keyBackChanged(on); });
    top->addWidget(m_positions);

    // Jog pad: the arms' arrows around the stop button, Z beside them, the
    // rotary axes below.
    auto *pad = new QFrame(m_main);
    pad->setObjectName(QStringLiteral("pPrzyciski"));
    auto *padLayout = new QGridLayout(pad);
    padLayout->setSpacing(4);
    const struct
    {
        const char *name;
        int key;
        int row, column;
    } pads[]
        = {{"kul", JogKey::Numpad7, 0, 0}, {"ku", JogKey::Numpad8, 0, 1},  {"kur", JogKey::Numpad9, 0, 2},
           {"kl", JogKey::Numpad4, 1, 0},  {"kr", JogKey::Numpad6, 1, 2},  {"kdl", JogKey::Numpad1, 2, 0},
           {"kd", JogKey::Numpad2, 2, 1},  {"kdr", JogKey::Numpad3, 2, 2}, {"kzl", JogKey::F7, 0, 4},
           {"kzr", JogKey::F8, 2, 4},      {"kwu", JogKey::PageUp, 3, 0},  {"kwd", JogKey::PageDown, 3, 1},
           {"ksl", JogKey::Comma, 3, 2},   {"ksr", JogKey::Period, 3, 3}};
    for (const auto &p : pads)
        padLayout->addWidget(jogButton(p.name, p.key, pad), p.row, p.column);
    padLayout->setColumnMinimumWidth(3, 14);
    padLayout->setRowStretch(4, 1);
    auto *stop = new QToolButton(pad);
    stop->setObjectName(QStringLiteral("kstop"));
    stop->setFixedSize(66, 66);
    padLayout->addWidget(stop, 1, 1);
    m_buttons[QStringLiteral("kstop")] = stop;
    connect(stop, &QToolButton::pressed, this, [this] {
        if (m_stopRequest)
            m_stopRequest();
        emit stopRequested();
    });
    top->addWidget(pad);

    m_speedGroup = new QGroupBox(m_main);
    m_speedGroup->setObjectName(QStringLiteral("Szybkosc"));
    auto *speed = new QGridLayout(m_speedGroup);
    m_speed = scrollBar("VScroll", Qt::Vertical, m_speedGroup);
    m_speed->setInvertedAppearance(true);
    m_speed->setMinimumHeight(220);
    m_current = scrollBar("chwilowa", Qt::Vertical, m_speedGroup);
    m_current->setEnabled(false);
    speed->addWidget(m_speed, 0, 0, Qt::AlignHCenter);
    speed->addWidget(m_current, 0, 1, Qt::AlignHCenter);
    m_labels[QStringLiteral("speedlabel")] = label("speedlabel", m_speedGroup);
    m_labels[QStringLiteral("chwilowaLabel")] = label("chwilowaLabel", m_speedGroup);
    for (const char *name : {"speedlabel", "chwilowaLabel"}) {
        reserveWidth(m_labels[QLatin1String(name)], {QStringLiteral("88888"), QStringLiteral("8888.8")});
        m_labels[QLatin1String(name)]->setAlignment(Qt::AlignCenter);
    }
    speed->addWidget(m_labels[QStringLiteral("speedlabel")], 1, 0);
    speed->addWidget(m_labels[QStringLiteral("chwilowaLabel")], 1, 1);
    connect(m_speed, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updating)
            emit speedChanged(v);
    });
    top->addWidget(m_speedGroup);

    m_powerGroup = new QGroupBox(m_main);
    m_powerGroup->setObjectName(QStringLiteral("GroupPower"));
    auto *power = new QGridLayout(m_powerGroup);
    m_heating = new QToolButton(m_powerGroup);
    m_heating->setObjectName(QStringLiteral("k_zalwyl"));
    m_heating->setCheckable(true);
    m_heating->setFixedSize(66, 66);
    power->addWidget(m_heating, 0, 0, 3, 1, Qt::AlignTop);
    connect(m_heating, &QToolButton::clicked, this, [this] { emit heatingToggled(); });
    m_power = scrollBar("PScroll", Qt::Horizontal, m_powerGroup);
    m_power->setMinimumWidth(200);
    power->addWidget(m_power, 0, 1);
    connect(m_power, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updating)
            emit powerChanged(v);
    });
    m_labels[QStringLiteral("PowerLabel")] = label("PowerLabel", m_powerGroup);
    reserveWidth(m_labels[QStringLiteral("PowerLabel")],
                 {QStringLiteral("888.8"), QStringLiteral("88.88"), QStringLiteral("100%")});
    power->addWidget(m_labels[QStringLiteral("PowerLabel")], 0, 2);
    m_labels[QStringLiteral("stan_drutu")] = label("stan_drutu", m_powerGroup);
    power->addWidget(m_labels[QStringLiteral("stan_drutu")], 1, 1, 1, 2);
    m_realPower = new QProgressBar(m_powerGroup);
    m_realPower->setObjectName(QStringLiteral("gRealPower2"));
    power->addWidget(m_realPower, 2, 1);
    m_labels[QStringLiteral("lRealPower")] = label("lRealPower", m_powerGroup);
    reserveWidth(m_labels[QStringLiteral("lRealPower")], {QStringLiteral("888.8")});
    power->addWidget(m_labels[QStringLiteral("lRealPower")], 2, 2);
    bottom->addWidget(m_powerGroup, 0, Qt::AlignTop);

    m_tensionGroup = new QGroupBox(m_main);
    m_tensionGroup->setObjectName(QStringLiteral("pNaciagDrutu"));
    auto *tension = new QVBoxLayout(m_tensionGroup);
    m_tension = scrollBar("ScrollNaciag", Qt::Horizontal, m_tensionGroup);
    m_tension->setMaximum(100);
    m_tension->setMinimumWidth(200);
    tension->addWidget(m_tension);
    connect(m_tension, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updating)
            emit tensionChanged(v);
    });
    for (const char *name : {"LabelNaciag", "LabelNaciagRzeczywisty"}) {
        m_labels[QLatin1String(name)] = label(name, m_tensionGroup);
        reserveWidth(m_labels[QLatin1String(name)], {QStringLiteral("888.8")});
        tension->addWidget(m_labels[QLatin1String(name)]);
    }
    m_tensionGroup->hide();
    bottom->addWidget(m_tensionGroup, 0, Qt::AlignTop);
    bottom->addStretch(1);

    auto *commands = new QVBoxLayout;
    bottom->addLayout(commands);
    auto button = [this, commands](const char *name) {
        auto *b = new QPushButton(m_main);
        b->setObjectName(QLatin1String(name));
        b->setMinimumSize(150, 32);
        b->setFocusPolicy(Qt::NoFocus);
        commands->addWidget(b);
        return b;
    };
    m_home = button("Bazuj");
    m_base = button("Base");
    m_moveWire = button("keyprzesun");
    commands->addStretch(1);
    m_close = button("zamknij");
    connect(m_home, &QPushButton::clicked, this, [this] { emit homeRequested(); });
    connect(m_base, &QPushButton::clicked, this, [this] {
        // Base points are kept in machine coordinates: only a homed machine has them.
        if (m_view.plot.has(StatusFlag::Homed))
            emit basePointsRequested();
        else
            ShowMsg(GetText(kControl, QStringLiteral("wykonajBazowanie")), false);
    });
    connect(m_moveWire, &QPushButton::clicked, this, [this] { emit moveWireRequested(); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    auto *service = new QHBoxLayout;
    mainLayout->addLayout(service);
    m_upgrade = new QFrame(m_main);
    m_upgrade->setObjectName(QStringLiteral("pUpgradeFirmware"));
    auto *upgrade = new QHBoxLayout(m_upgrade);
    upgrade->setContentsMargins(0, 0, 0, 0);
    m_btnUpgrade = new QPushButton(m_upgrade);
    m_btnUpgrade->setObjectName(QStringLiteral("btnUpgrade"));
    m_btnRestore = new QPushButton(m_upgrade);
    m_btnRestore->setObjectName(QStringLiteral("btnRestoreEPROM"));
    for (QPushButton *b : {m_btnUpgrade, m_btnRestore}) {
        b->setMinimumSize(200, 32);
        upgrade->addWidget(b);
    }
    m_labels[QStringLiteral("wersjaARMa")] = label("wersjaARMa", m_upgrade);
    reserveWidth(m_labels[QStringLiteral("wersjaARMa")], {QStringLiteral("ARM 888.888")});
    upgrade->addWidget(m_labels[QStringLiteral("wersjaARMa")]);
    connect(m_btnUpgrade, &QPushButton::clicked, this, [this] { emit upgradeRequested(); });
    connect(m_btnRestore, &QPushButton::clicked, this, [this] { emit restoreEepromRequested(); });
    m_upgrade->hide();
    service->addWidget(m_upgrade);
    m_service = new QFrame(m_main);
    m_service->setObjectName(QStringLiteral("pSerwis"));
    m_service->setMinimumSize(380, 50);
    m_service->hide();
    service->addWidget(m_service);
    service->addStretch(1);
    m_labels[QStringLiteral("UsbError")] = label("UsbError", m_main);
    reserveWidth(m_labels[QStringLiteral("UsbError")], {QStringLiteral("88888/88888")});
    mainLayout->addWidget(m_labels[QStringLiteral("UsbError")]);

    loadIcons();
}

QToolButton *TsterForm::jogButton(const char *name, int jogKey, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedSize(66, 66);
    b->setFocusPolicy(Qt::NoFocus);
    m_buttons[QLatin1String(name)] = b;
    connect(b, &QToolButton::pressed, this, [this, jogKey] { emit jogButtonPressed(jogKey); });
    // Every mouse-up stops the jog.
    connect(b, &QToolButton::released, this, [this, jogKey] { emit jogReleased(jogKey, false); });
    return b;
}

void TsterForm::loadIcons()
{
    const ProgramFolders &folders = ProgramFolders::current();
    auto path = [&folders](const char *file) {
        return folders.resourcePath(QStringLiteral("Ikony/") + QLatin1String(file));
    };
    if (!QFile::exists(path("Arrow66c_L_green.bmp")) || !QFile::exists(path("Arrow66c_R_green.bmp"))) {
        // Without the pictures the jog pad would be fifteen blank buttons:
        // arrows tell the operator which way each one drives.
        const struct
        {
            const char *button;
            const char16_t *text;
        } arrows[] = {{"kul", u"\u2196"},   {"ku", u"\u2191"},    {"kur", u"\u2197"},   {"kl", u"\u2190"},
                      {"kr", u"\u2192"},    {"kdl", u"\u2199"},   {"kd", u"\u2193"},    {"kdr", u"\u2198"},
                      {"kzl", u"Z \u2191"}, {"kzr", u"Z \u2193"}, {"kwu", u"W \u21BA"}, {"kwd", u"W \u21BB"},
                      {"ksl", u"S \u21BA"}, {"ksr", u"S \u21BB"}};
        for (const auto &arrow : arrows)
            m_buttons[QLatin1String(arrow.button)]->setText(QString::fromUtf16(arrow.text));
        m_heating->setIcon(heatingLamp());
        m_heating->setIconSize(QSize(48, 48));
        return;
    }
    const struct
    {
        const char *button;
        const char *file;
    } icons[] = {
        {"ksl", "Arrow66c_L_green.bmp"},  {"ksr", "Arrow66c_R_green.bmp"}, {"kul", "Arrow66c_UL_red.bmp"},
        {"kl", "Arrow66c_L_red.bmp"},     {"kdl", "Arrow66c_DL_red.bmp"},  {"ku", "Arrow66c_U_red.bmp"},
        {"kstop", "StopMK3.bmp"},         {"kd", "Arrow66c_D_red.bmp"},    {"kur", "Arrow66c_UR_red.bmp"},
        {"kr", "Arrow66c_R_red.bmp"},     {"kdr", "Arrow66c_DR_red.bmp"},  {"kwu", "Arrow66c_L_yellow.bmp"},
        {"kwd", "Arrow66c_R_yellow.bmp"}, {"kzl", "Arrow66c_U_blue.bmp"},  {"kzr", "Arrow66c_D_blue.bmp"}};
    for (const auto &icon : icons) {
        QToolButton *b = m_buttons[QLatin1String(icon.button)];
        b->setIcon(QIcon(path(icon.file)));
        b->setIconSize(QSize(64, 64));
    }
    m_heating->setIcon(QIcon(path("Led_off_on_66c_x4.bmp")));
    m_heating->setIconSize(QSize(64, 64));
    m_buttons[QStringLiteral("kstop")]->setText(QString());
}

QString TsterForm::positionTitle(int unit)
{
    return GetText(kControl, QStringLiteral("groupBox1.caption")) + QLatin1Char(' ') + Units::unitLabel(unit);
}

QString TsterForm::speedTitle(const QString &key, int unit)
{
    return GetText(kControl, key) + QStringLiteral(" [") + Units::unitName(unit) + QStringLiteral("/min]");
}

void TsterForm::showGroupTitles()
{
    // Every activation translates the panel again: the titles keep the
    // units of what the machine last reported (the speed mode's caption,
    // the power in amperes or percent), or the view would lose them until
    // the next display refresh, which never comes while the machine's
    // thread is busy homing or the panel is not the active window.
    const int unit = Units::currentLengthUnit();
    m_positions->setTitle(positionTitle(unit));
    m_speedGroup->setTitle(speedTitle(
        m_view.speedCaptionKey.isEmpty() ? QStringLiteral("szybkosc") : m_view.speedCaptionKey, unit));
    if (!m_viewShown)
        m_powerGroup->setTitle(GetText(kControl, QStringLiteral("GroupPower.Caption")));
    else
        m_powerGroup->setTitle(GetText(kControl, QStringLiteral("BoxAmper.Caption"))
                               + (m_view.lj ? QStringLiteral("  [ % ]") : QStringLiteral("  [ A ]")));
}

void TsterForm::reserveTextWidths()
{
    // Every title a group may take, in every length unit.
    QStringList positions, speeds;
    for (int unit = Units::Millimetre; unit <= Units::Foot; ++unit) {
        positions << positionTitle(unit);
        for (const char *key : {"szybkosc", "szybkoscPrzestawcza", "szybkoscRobocza"})
            speeds << speedTitle(QLatin1String(key), unit);
    }
    reserveTitleWidth(m_positions, positions);
    reserveTitleWidth(m_speedGroup, speeds);
    const QString power = GetText(kControl, QStringLiteral("BoxAmper.Caption"));
    reserveTitleWidth(m_powerGroup,
                      {GetText(kControl, QStringLiteral("GroupPower.Caption")),
                       power + QStringLiteral("  [ A ]"), power + QStringLiteral("  [ % ]")});
    reserveWidth(m_labels[QStringLiteral("stan_drutu")],
                 {GetText(kControl, QStringLiteral("zerwanyDrut")),
                  GetText(kControl, QStringLiteral("sprawdzBezpiecznik"))});
}

void TsterForm::Translate()
{
    setWindowTitle(GetText(kControl, QStringLiteral("caption")));
    for (auto &[name, button] : m_buttons) {
        button->setToolTip(GetText(kControl, name + QStringLiteral(".Hint")));
        if (name == QLatin1String("kstop") && button->icon().isNull())
            button->setText(GetText(kControl, QStringLiteral("kstop.caption")));
    }
    m_heating->setToolTip(GetText(kControl, QStringLiteral("k_zalwyl.Hint")));
    showGroupTitles();
    m_tensionGroup->setTitle(GetText(kControl, QStringLiteral("NaciagBox.Caption"))
                             + QStringLiteral("  [ N ]"));
    m_home->setText(GetText(kControl, QStringLiteral("bazuj.caption")));
    m_base->setText(GetText(kControl, QStringLiteral("base.Caption")));
    m_moveWire->setText(GetText(kControl, QStringLiteral("keyprzesun.caption")));
    m_close->setText(GetText(kControl, QStringLiteral("zamknij.caption")));
    m_btnUpgrade->setText(GetText(kControl, QStringLiteral("btnUpgrade.caption")));
    m_btnRestore->setText(GetText(kControl, QStringLiteral("btnRestoreEPROM.caption")));
    m_keyFront->setText(GetText(kControl, QStringLiteral("KeyFront.caption")));
    m_keyBack->setText(GetText(kControl, QStringLiteral("VqKeyBack.caption")));
    reserveTextWidths();
}

void TsterForm::connectSession(MachineSession *session)
{
    connect(this, &TsterForm::jogPressed, session, &MachineSession::keyPressed);
    connect(this, &TsterForm::jogButtonPressed, session, &MachineSession::jogButtonPressed);
    connect(this, &TsterForm::jogReleased, session, &MachineSession::keyReleased);
    connect(this, &TsterForm::focusLost, session, &MachineSession::focusLost);
    connect(this, &TsterForm::heatingToggled, session, &MachineSession::toggleHeating);
    connect(this, &TsterForm::speedChanged, session, &MachineSession::setSpeed);
    connect(this, &TsterForm::speedStepped, session, &MachineSession::stepSpeed);
    connect(this, &TsterForm::powerChanged, session, &MachineSession::setPowerPosition);
    connect(this, &TsterForm::tensionChanged, session, &MachineSession::setTension);
    connect(this, &TsterForm::homeRequested, session, &MachineSession::home);
    connect(this, &TsterForm::stopRequested, session, &MachineSession::stopMachine);
    connect(this, &TsterForm::keyFrontChanged, session, &MachineSession::setKeyFront);
    connect(this, &TsterForm::keyBackChanged, session, &MachineSession::setKeyBack);
    connect(this, &TsterForm::alignRequested, session, &MachineSession::alignBackToFront);
    connect(this, &TsterForm::activated, session, &MachineSession::activatePanel);
    connect(this, &TsterForm::deactivated, session, &MachineSession::deactivatePanel);
    connect(this, &TsterForm::displayWanted, session, &MachineSession::setDisplayWanted);
    connect(session, &MachineSession::viewChanged, this, &TsterForm::showView);
    setStopRequest([session] { session->requestStop(); });
}

QString TsterForm::positionText(std::int32_t hundredths) const
{
    const int unit = Units::currentLengthUnit();
    const long double mm = hundredths / 100.0L;
    if (unit == Units::Millimetre || !Units::isValidUnit(unit))
        return FixedText(static_cast<double>(mm), 2);
    return FixedText(static_cast<double>(Units::MmToUnit(unit, mm)), 3);
}

QString TsterForm::speedText(int mmPerMinute)
{
    const int unit = Units::currentLengthUnit();
    if (unit != Units::Millimetre && Units::isValidUnit(unit))
        return FixedText(static_cast<double>(Units::MmToUnit(unit, mmPerMinute)), 1);
    // Coarser as the speed grows: the last digit of a fast speed means nothing.
    int step = 1;
    if (mmPerMinute >= 1000)
        step = 10;
    else if (mmPerMinute >= 100)
        step = 5;
    const int rounded = static_cast<int>(std::nearbyint(static_cast<double>(mmPerMinute) / step)) * step;
    return QString::number(rounded);
}

QString TsterForm::labelText(const char *name) const
{
    const auto it = m_labels.find(QLatin1String(name));
    return it == m_labels.end() ? QString() : it->second->text();
}

void TsterForm::showView(const PanelView &view)
{
    m_view = view;
    m_updating = true;
    const tplotstate &p = view.plot;
    m_labels[QStringLiteral("wmxf")]->setText(positionText(p.X1));
    m_labels[QStringLiteral("wmyf")]->setText(positionText(p.Y1));
    m_labels[QStringLiteral("wmxb")]->setText(positionText(p.X2));
    m_labels[QStringLiteral("wmyb")]->setText(positionText(p.Y2));
    m_labels[QStringLiteral("wmz")]->setText(positionText(p.Z));
    m_labels[QStringLiteral("wms")]->setText(FixedText(p.Sangle, 2));
    m_labels[QStringLiteral("wmw")]->setText(FixedText(p.Wangle, 2));
    m_heating->setChecked(view.heatingOn);
    m_labels[QStringLiteral("stan_drutu")]->setText(
        view.wireStateKey.isEmpty() ? QString() : GetText(kControl, view.wireStateKey));
    m_current->setMaximum(std::max(1, view.maxV));
    m_current->setValue(p.speeds[4]);
    m_labels[QStringLiteral("chwilowaLabel")]->setText(QString::number(p.speeds[4]));
    m_viewShown = true;
    showGroupTitles();
    m_speed->setMaximum(std::max(1, view.maxV));
    m_speed->setValue(view.speed);
    m_labels[QStringLiteral("speedlabel")]->setText(speedText(view.speed));
    // Set-up for the identified machine.
    m_keyFront->setVisible(view.showArms);
    m_keyBack->setVisible(view.showArms);
    m_keyFront->setChecked(view.keyFront);
    m_keyBack->setChecked(view.keyBack);
    m_backLabel->setVisible(view.showArms);
    m_align->setVisible(view.vq);
    m_keyBack->setText(GetText(
        kControl, view.q7 ? QStringLiteral("Q7KeyBack.caption") : QStringLiteral("VqKeyBack.caption")));
    m_backLabel->setText(m_keyBack->text());
    m_buttons[QStringLiteral("ksl")]->setVisible(view.showTable);
    m_buttons[QStringLiteral("ksr")]->setVisible(view.showTable);
    m_tensionGroup->setVisible(view.showTension);
    m_tension->setMaximum(view.tensionMax);
    // The tension bar stands where the controller's setting is (tenths of
    // the bar's unit), not at zero, unless the operator is dragging it.
    if (!m_tension->isSliderDown())
        m_tension->setValue(p.tensionSetting / 10);
    m_labels[QStringLiteral("wersjaARMa")]->setText(QStringLiteral("ARM ") + view.firmware);
    m_power->setMaximum(std::max(1, view.powerMax));
    m_power->setSingleStep(view.powerSmallStep);
    m_power->setPageStep(view.powerLargeStep);
    m_power->setValue(view.powerPosition);
    m_realPower->setVisible(!view.lj);
    if (view.lj) {
        m_labels[QStringLiteral("PowerLabel")]->setText(QString::number(view.powerPosition)
                                                        + QLatin1Char('%'));
    } else {
        m_labels[QStringLiteral("PowerLabel")]->setText(view.newProtocol
                                                            ? FixedText(view.powerPosition / 1000.0, 2)
                                                            : FixedText(view.powerPosition / 10.0, 1));
        const int measured = static_cast<int>(p.measuredPower / 100.0 * view.powerFactor);
        m_realPower->setMaximum(std::max(1, view.powerMax));
        m_realPower->setValue(std::clamp(measured, 0, std::max(1, view.powerMax)));
        m_realPower->setStyleSheet(measured >= p.powerSetting
                                       ? QStringLiteral("QProgressBar::chunk { background: green; }")
                                       : QStringLiteral("QProgressBar::chunk { background: red; }"));
    }
    m_labels[QStringLiteral("lRealPower")]->setText(FixedText(view.measuredCurrent, 1));
    m_labels[QStringLiteral("LabelNaciag")]->setText(FixedText(p.tensionSetting / 10.0, 1));
    m_labels[QStringLiteral("LabelNaciagRzeczywisty")]->setText(FixedText(p.tensionMeasured / 10.0, 1));
    for (auto &[name, button] : m_buttons)
        button->setEnabled(!view.jobRunning || name == QLatin1String("kstop"));
    m_speed->setEnabled(!view.jobRunning);
    m_labels[QStringLiteral("UsbError")]->setText(QString::number(view.readFailures) + QLatin1Char('/')
                                                  + QString::number(view.writeFailures));
    m_updating = false;
}

void TsterForm::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->key() == Qt::Key_E && mods == Qt::AltModifier) {
        m_upgrade->setVisible(!m_upgrade->isVisible());
        return;
    }
    if (event->key() == Qt::Key_F12 && mods == (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        m_service->setVisible(!m_service->isVisible());
        return;
    }
    if (m_stopRequest)
        m_stopRequest(); // a key press ends a running homing
    // X11 repeats a held key as press and release pairs: the jog runs on.
    if (event->isAutoRepeat())
        return;
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const int key = jogKeyForQtKey(event->key(), mods);
    if (key != 0 || event->key() == Qt::Key_Control)
        emit jogPressed(key, ctrl || event->key() == Qt::Key_Control);
    else
        QWidget::keyPressEvent(event);
}

void TsterForm::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    const bool ctrl = event->key() != Qt::Key_Control && event->modifiers().testFlag(Qt::ControlModifier);
    const int key = jogKeyForQtKey(event->key(), event->modifiers());
    if (key != 0 || event->key() == Qt::Key_Control)
        emit jogReleased(key, ctrl);
    else
        QWidget::keyReleaseEvent(event);
}

void TsterForm::focusOutEvent(QFocusEvent *event)
{
    emit focusLost();
    QWidget::focusOutEvent(event);
}

void TsterForm::mousePressEvent(QMouseEvent *event)
{
    if (m_stopRequest)
        m_stopRequest();
    QWidget::mousePressEvent(event);
}

void TsterForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            Translate();
            emit activated();
        } else {
            emit focusLost();
            emit deactivated();
        }
        emit displayWanted(isActiveWindow());
    }
    QWidget::changeEvent(event);
}
