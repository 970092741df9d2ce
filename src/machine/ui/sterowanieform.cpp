#include "machine/ui/sterowanieform.h"

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
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <cmath>

namespace {

const QString kControl = QStringLiteral("Control");

QLabel *label(const char *name, QWidget *parent, int x, int y, int w = 110)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, 24);
    return l;
}

QScrollBar *scrollBar(const char *name, Qt::Orientation o, QWidget *parent, QRect geometry)
{
    auto *s = new QScrollBar(o, parent);
    s->setObjectName(QLatin1String(name));
    s->setGeometry(geometry);
    return s;
}

} // namespace

TsterForm::TsterForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ster"));
    // A fixed panel: the jog buttons keep their places whatever the screen.
    setFixedSize(800, 570);
    QFont bold = font();
    bold.setPointSize(10);
    bold.setBold(true);
    setFont(bold);
    setFocusPolicy(Qt::StrongFocus);

    m_main = new QFrame(this);
    m_main->setObjectName(QStringLiteral("pGlowny"));
    m_main->setGeometry(0, 0, 800, 570);

    m_positions = new QGroupBox(m_main);
    m_positions->setObjectName(QStringLiteral("groupBox1"));
    m_positions->setGeometry(8, 8, 300, 250);
    const char *names[] = {"wmxf", "wmyf", "wmxb", "wmyb", "wmz", "wms", "wmw"};
    const char *axes[] = {"X1", "Y1", "X2", "Y2", "Z", "S", "W"};
    for (int i = 0; i < 7; ++i) {
        m_labels[QLatin1String(names[i])] = label(names[i], m_positions, 150, 24 + 28 * i);
        label("", m_positions, 10, 24 + 28 * i, 130)->setText(QLatin1String(axes[i]));
    }
    m_keyFront = new QCheckBox(m_positions);
    m_keyFront->setObjectName(QStringLiteral("KeyFront"));
    m_keyFront->setGeometry(10, 220, 130, 24);
    m_keyFront->setChecked(true);
    m_keyBack = new QCheckBox(m_positions);
    m_keyBack->setObjectName(QStringLiteral("KeyBack"));
    m_keyBack->setGeometry(150, 220, 130, 24);
    m_keyBack->setChecked(true);
    m_backLabel = label("LBack", m_positions, 150, 196, 130);
    m_align = new QPushButton(m_positions);
    m_align->setObjectName(QStringLiteral("sbWyrownajBackToFront"));
    m_align->setGeometry(250, 110, 40, 28);
    m_align->setText(QStringLiteral("<="));
    m_align->setFocusPolicy(Qt::NoFocus);
    connect(m_align, &QPushButton::clicked, this, [this] { emit alignRequested(); });
    m_keyFront->hide();
    m_keyBack->hide();
    m_backLabel->hide();
    m_align->hide();
    connect(m_keyFront, &QCheckBox::clicked, this, [this](bool on) { emit keyFrontChanged(on); });
    connect(m_keyBack, &QCheckBox::clicked, this, [this](bool on) { emit keyBackChanged(on); });

    // Jog pad.
    auto *pad = new QFrame(m_main);
    pad->setObjectName(QStringLiteral("pPrzyciski"));
    pad->setGeometry(320, 8, 300, 300);
    const struct
    {
        const char *name;
        int key;
        int x, y;
    } pads[] = {{"kul", JogKey::Numpad7, 0, 0},   {"ku", JogKey::Numpad8, 70, 0},   {"kur", JogKey::Numpad9, 140, 0},
                {"kl", JogKey::Numpad4, 0, 70},   {"kr", JogKey::Numpad6, 140, 70}, {"kdl", JogKey::Numpad1, 0, 140},
                {"kd", JogKey::Numpad2, 70, 140}, {"kdr", JogKey::Numpad3, 140, 140}, {"kzl", JogKey::F7, 220, 0},
                {"kzr", JogKey::F8, 220, 140},    {"kwu", JogKey::PageUp, 0, 220},  {"kwd", JogKey::PageDown, 70, 220},
                {"ksl", JogKey::Comma, 140, 220}, {"ksr", JogKey::Period, 210, 220}};
    for (const auto &p : pads)
        jogButton(p.name, p.key, pad)->move(p.x, p.y);
    auto *stop = new QToolButton(pad);
    stop->setObjectName(QStringLiteral("kstop"));
    stop->setGeometry(70, 70, 66, 66);
    m_buttons[QStringLiteral("kstop")] = stop;
    connect(stop, &QToolButton::pressed, this, [this] {
        if (m_stopRequest)
            m_stopRequest();
        emit stopRequested();
    });

    m_speedGroup = new QGroupBox(m_main);
    m_speedGroup->setObjectName(QStringLiteral("Szybkosc"));
    m_speedGroup->setGeometry(630, 8, 160, 300);
    m_speed = scrollBar("VScroll", Qt::Vertical, m_speedGroup, {20, 30, 24, 220});
    m_speed->setInvertedAppearance(true);
    m_current = scrollBar("chwilowa", Qt::Vertical, m_speedGroup, {110, 30, 24, 220});
    m_current->setEnabled(false);
    m_labels[QStringLiteral("speedlabel")] = label("speedlabel", m_speedGroup, 10, 260, 90);
    m_labels[QStringLiteral("chwilowaLabel")] = label("chwilowaLabel", m_speedGroup, 90, 260, 70);
    connect(m_speed, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updating)
            emit speedChanged(v);
    });

    m_powerGroup = new QGroupBox(m_main);
    m_powerGroup->setObjectName(QStringLiteral("GroupPower"));
    m_powerGroup->setGeometry(8, 320, 380, 150);
    m_heating = new QToolButton(m_powerGroup);
    m_heating->setObjectName(QStringLiteral("k_zalwyl"));
    m_heating->setCheckable(true);
    m_heating->setGeometry(10, 30, 66, 66);
    connect(m_heating, &QToolButton::clicked, this, [this] { emit heatingToggled(); });
    m_power = scrollBar("PScroll", Qt::Horizontal, m_powerGroup, {90, 30, 200, 24});
    connect(m_power, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updating)
            emit powerChanged(v);
    });
    m_labels[QStringLiteral("PowerLabel")] = label("PowerLabel", m_powerGroup, 300, 30, 70);
    m_labels[QStringLiteral("stan_drutu")] = label("stan_drutu", m_powerGroup, 90, 60, 280);
    m_realPower = new QProgressBar(m_powerGroup);
    m_realPower->setObjectName(QStringLiteral("gRealPower2"));
    m_realPower->setGeometry(90, 95, 200, 20);
    m_labels[QStringLiteral("lRealPower")] = label("lRealPower", m_powerGroup, 300, 95, 70);

    m_tensionGroup = new QGroupBox(m_main);
    m_tensionGroup->setObjectName(QStringLiteral("pNaciagDrutu"));
    m_tensionGroup->setGeometry(400, 320, 220, 150);
    m_tension = scrollBar("ScrollNaciag", Qt::Horizontal, m_tensionGroup, {10, 30, 200, 24});
    m_tension->setMaximum(100);
    connect(m_tension, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updating)
            emit tensionChanged(v);
    });
    m_labels[QStringLiteral("LabelNaciag")] = label("LabelNaciag", m_tensionGroup, 10, 60);
    m_labels[QStringLiteral("LabelNaciagRzeczywisty")] = label("LabelNaciagRzeczywisty", m_tensionGroup, 10, 90);
    m_tensionGroup->hide();

    auto button = [this](const char *name, int x, int y) {
        auto *b = new QPushButton(m_main);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, 150, 32);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_home = button("Bazuj", 630, 320);
    m_base = button("Base", 630, 360);
    m_moveWire = button("keyprzesun", 630, 400);
    m_close = button("zamknij", 630, 520);
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
    m_labels[QStringLiteral("UsbError")] = label("UsbError", m_main, 8, 540, 200);

    m_upgrade = new QFrame(m_main);
    m_upgrade->setObjectName(QStringLiteral("pUpgradeFirmware"));
    m_upgrade->setGeometry(8, 480, 600, 50);
    m_btnUpgrade = new QPushButton(m_upgrade);
    m_btnUpgrade->setObjectName(QStringLiteral("btnUpgrade"));
    m_btnUpgrade->setGeometry(0, 8, 200, 32);
    m_btnRestore = new QPushButton(m_upgrade);
    m_btnRestore->setObjectName(QStringLiteral("btnRestoreEPROM"));
    m_btnRestore->setGeometry(210, 8, 200, 32);
    m_labels[QStringLiteral("wersjaARMa")] = label("wersjaARMa", m_upgrade, 420, 12, 160);
    connect(m_btnUpgrade, &QPushButton::clicked, this, [this] { emit upgradeRequested(); });
    connect(m_btnRestore, &QPushButton::clicked, this, [this] { emit restoreEepromRequested(); });
    m_upgrade->hide();
    m_service = new QFrame(m_main);
    m_service->setObjectName(QStringLiteral("pSerwis"));
    m_service->setGeometry(220, 480, 380, 50);
    m_service->hide();

    loadIcons();
}

QToolButton *TsterForm::jogButton(const char *name, int jogKey, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->resize(66, 66);
    b->setFocusPolicy(Qt::NoFocus);
    m_buttons[QLatin1String(name)] = b;
    connect(b, &QToolButton::pressed, this, [this, jogKey] { emit jogPressed(jogKey, false); });
    // Every mouse-up stops the jog.
    connect(b, &QToolButton::released, this, [this, jogKey] { emit jogReleased(jogKey, false); });
    return b;
}

void TsterForm::loadIcons()
{
    const ProgramFolders &folders = ProgramFolders::current();
    auto path = [&folders](const char *file) { return folders.resourcePath(QStringLiteral("Ikony/") + QLatin1String(file)); };
    if (!QFile::exists(path("Arrow66c_L_green.bmp")) || !QFile::exists(path("Arrow66c_R_green.bmp"))) {
        // Without the pictures the jog pad would be fifteen blank buttons:
        // arrows tell the operator which way each one drives.
        const struct
        {
            const char *button;
            const char16_t *text;
        } arrows[] = {{"kul", u"\u2196"},  {"ku", u"\u2191"},   {"kur", u"\u2197"},   {"kl", u"\u2190"},
                      {"kr", u"\u2192"},   {"kdl", u"\u2199"},  {"kd", u"\u2193"},    {"kdr", u"\u2198"},
                      {"kzl", u"Z \u2191"}, {"kzr", u"Z \u2193"}, {"kwu", u"W \u21BA"}, {"kwd", u"W \u21BB"},
                      {"ksl", u"S \u21BA"}, {"ksr", u"S \u21BB"}};
        for (const auto &arrow : arrows)
            m_buttons[QLatin1String(arrow.button)]->setText(QString::fromUtf16(arrow.text));
        return;
    }
    const struct
    {
        const char *button;
        const char *file;
    } icons[] = {{"ksl", "Arrow66c_L_green.bmp"},  {"ksr", "Arrow66c_R_green.bmp"},  {"kul", "Arrow66c_UL_red.bmp"},
                 {"kl", "Arrow66c_L_red.bmp"},     {"kdl", "Arrow66c_DL_red.bmp"},   {"ku", "Arrow66c_U_red.bmp"},
                 {"kstop", "StopMK3.bmp"},         {"kd", "Arrow66c_D_red.bmp"},     {"kur", "Arrow66c_UR_red.bmp"},
                 {"kr", "Arrow66c_R_red.bmp"},     {"kdr", "Arrow66c_DR_red.bmp"},   {"kwu", "Arrow66c_L_yellow.bmp"},
                 {"kwd", "Arrow66c_R_yellow.bmp"}, {"kzl", "Arrow66c_U_blue.bmp"},   {"kzr", "Arrow66c_D_blue.bmp"}};
    for (const auto &icon : icons) {
        QToolButton *b = m_buttons[QLatin1String(icon.button)];
        b->setIcon(QIcon(path(icon.file)));
        b->setIconSize(QSize(64, 64));
    }
    m_heating->setIcon(QIcon(path("Led_off_on_66c_x4.bmp")));
    m_heating->setIconSize(QSize(64, 64));
    m_buttons[QStringLiteral("kstop")]->setText(QString());
}

void TsterForm::Translate()
{
    setWindowTitle(GetText(kControl, QStringLiteral("caption")));
    m_positions->setTitle(GetText(kControl, QStringLiteral("groupBox1.caption")));
    for (auto &[name, button] : m_buttons) {
        button->setToolTip(GetText(kControl, name + QStringLiteral(".Hint")));
        if (name == QLatin1String("kstop") && button->icon().isNull())
            button->setText(GetText(kControl, QStringLiteral("kstop.caption")));
    }
    m_powerGroup->setTitle(GetText(kControl, QStringLiteral("GroupPower.Caption")));
    m_heating->setToolTip(GetText(kControl, QStringLiteral("k_zalwyl.Hint")));
    m_speedGroup->setTitle(GetText(kControl, QStringLiteral("szybkosc")));
    m_tensionGroup->setTitle(GetText(kControl, QStringLiteral("NaciagBox.Caption")) + QStringLiteral("  [ N ]"));
    m_home->setText(GetText(kControl, QStringLiteral("bazuj.caption")));
    m_base->setText(GetText(kControl, QStringLiteral("base.Caption")));
    m_moveWire->setText(GetText(kControl, QStringLiteral("keyprzesun.caption")));
    m_close->setText(GetText(kControl, QStringLiteral("zamknij.caption")));
    m_btnUpgrade->setText(GetText(kControl, QStringLiteral("btnUpgrade.caption")));
    m_btnRestore->setText(GetText(kControl, QStringLiteral("btnRestoreEPROM.caption")));
    m_keyFront->setText(GetText(kControl, QStringLiteral("KeyFront.caption")));
    m_keyBack->setText(GetText(kControl, QStringLiteral("VqKeyBack.caption")));
}

void TsterForm::connectSession(MachineSession *session)
{
    connect(this, &TsterForm::jogPressed, session, &MachineSession::keyPressed);
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
        return QString::number(static_cast<double>(mm), 'f', 2);
    return QString::number(static_cast<double>(Units::MmToUnit(unit, mm)), 'f', 3);
}

QString TsterForm::speedText(int mmPerMinute)
{
    const int unit = Units::currentLengthUnit();
    if (unit != Units::Millimetre && Units::isValidUnit(unit))
        return QString::number(static_cast<double>(Units::MmToUnit(unit, mmPerMinute)), 'f', 1);
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
    m_labels[QStringLiteral("wms")]->setText(QString::number(p.Sangle, 'f', 2));
    m_labels[QStringLiteral("wmw")]->setText(QString::number(p.Wangle, 'f', 2));
    m_heating->setChecked(view.heatingOn);
    m_labels[QStringLiteral("stan_drutu")]->setText(view.wireStateKey.isEmpty() ? QString()
                                                                               : GetText(kControl, view.wireStateKey));
    m_current->setMaximum(std::max(1, view.maxV));
    m_current->setValue(p.speeds[4]);
    m_labels[QStringLiteral("chwilowaLabel")]->setText(QString::number(p.speeds[4]));
    if (!view.speedCaptionKey.isEmpty())
        m_speedGroup->setTitle(GetText(kControl, view.speedCaptionKey) + QStringLiteral(" [")
                               + Units::unitName(Units::currentLengthUnit()) + QStringLiteral("/min]"));
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
    m_keyBack->setText(GetText(kControl, view.q7 ? QStringLiteral("Q7KeyBack.caption") : QStringLiteral("VqKeyBack.caption")));
    m_backLabel->setText(m_keyBack->text());
    m_buttons[QStringLiteral("ksl")]->setVisible(view.showTable);
    m_buttons[QStringLiteral("ksr")]->setVisible(view.showTable);
    m_tensionGroup->setVisible(view.showTension);
    m_tension->setMaximum(view.tensionMax);
    m_labels[QStringLiteral("wersjaARMa")]->setText(QStringLiteral("ARM ") + view.firmware);
    m_power->setMaximum(std::max(1, view.powerMax));
    m_power->setSingleStep(view.powerSmallStep);
    m_power->setPageStep(view.powerLargeStep);
    m_power->setValue(view.powerPosition);
    m_realPower->setVisible(!view.lj);
    if (view.lj) {
        m_powerGroup->setTitle(GetText(kControl, QStringLiteral("BoxAmper.Caption")) + QStringLiteral("  [ % ]"));
        m_labels[QStringLiteral("PowerLabel")]->setText(QString::number(view.powerPosition) + QLatin1Char('%'));
    } else {
        m_powerGroup->setTitle(GetText(kControl, QStringLiteral("BoxAmper.Caption")) + QStringLiteral("  [ A ]"));
        m_labels[QStringLiteral("PowerLabel")]->setText(
            view.newProtocol ? QString::number(view.powerPosition / 1000.0, 'f', 2)
                             : QString::number(view.powerPosition / 10.0, 'f', 1));
        const int measured = static_cast<int>(p.measuredPower / 100.0 * view.powerFactor);
        m_realPower->setMaximum(std::max(1, view.powerMax));
        m_realPower->setValue(std::clamp(measured, 0, std::max(1, view.powerMax)));
        m_realPower->setStyleSheet(measured >= p.powerSetting ? QStringLiteral("QProgressBar::chunk { background: green; }")
                                                              : QStringLiteral("QProgressBar::chunk { background: red; }"));
    }
    m_labels[QStringLiteral("lRealPower")]->setText(QString::number(view.measuredCurrent, 'f', 1));
    m_labels[QStringLiteral("LabelNaciag")]->setText(QString::number(p.tensionSetting / 10.0, 'f', 1));
    m_labels[QStringLiteral("LabelNaciagRzeczywisty")]->setText(QString::number(p.tensionMeasured / 10.0, 'f', 1));
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
