#include "app/common.h"
#include "app/language.h"
#include "app/units.h"
#include "machine/machinekeys.h"
#include "machine/machinesession.h"
#include "machine/panelkeys.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/sterowanieform.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <gtest/gtest.h>
#include <set>

namespace {

struct FormRig
{
    FormRig()
    {
        tInterfejs::setInstance(tInterfejs::Create(
            {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), "Prentavik", VersionString(false, false)}, 1, {}));
        auto clock = std::make_unique<VirtualMachineClock>();
        virtualClock = clock.get();
        Settings settings;
        settings.Pauza_w_kacie = 0;
        settings.CzasRozgrzewania = 0;
        session = std::make_unique<MachineSession>(
            [this](MachineClock &c) {
                auto backend = std::make_unique<SimulatedHidBackend>(c);
                machine = backend->plugMachine();
                return backend;
            },
            std::move(clock), CommandLine(), settings);
        session->open();
        form.connectSession(session.get());
        session->panel()->setDisplayWanted(true);
    }
    ~FormRig() { tInterfejs::setInstance(tInterfejs()); }

    VirtualMachineClock *virtualClock = nullptr;
    std::shared_ptr<SimulatedMachine> machine;
    std::unique_ptr<MachineSession> session;
    TsterForm form;
};

TEST(PanelForm, OpensTranslatedAtItsFixedSize)
{
    FormRig rig;
    rig.form.Translate();
    rig.form.show();
    EXPECT_EQ(rig.form.size(), QSize(800, 570));
    EXPECT_EQ(rig.form.minimumSize(), rig.form.maximumSize()) << "the operator cannot resize it";
    EXPECT_EQ(rig.form.windowTitle(), "Manual control");
    EXPECT_EQ(rig.form.findChild<QPushButton *>("Bazuj")->text(), "Home");
    EXPECT_EQ(rig.form.findChild<QToolButton *>("ku")->toolTip(), "Up");
    EXPECT_FALSE(rig.form.findChild<QWidget *>("pUpgradeFirmware")->isVisible());
}

// Without the pictures in the program folder the jog pad was a block of
// blank buttons: each must still say which way it drives.
TEST(PanelForm, EveryJogButtonIsTellableApartWithOrWithoutItsPicture)
{
    FormRig rig;
    rig.form.Translate();
    std::set<QString> texts;
    for (const char *name : {"kul", "ku", "kur", "kl", "kr", "kdl", "kd", "kdr", "kzl", "kzr", "kwu", "kwd", "ksl",
                             "ksr"}) {
        SCOPED_TRACE(name);
        const QToolButton *button = rig.form.findChild<QToolButton *>(name);
        ASSERT_NE(button, nullptr);
        if (button->icon().isNull()) {
            EXPECT_FALSE(button->text().isEmpty());
            EXPECT_TRUE(texts.insert(button->text()).second) << "the same label twice";
        }
    }
}

// The panel as it looks with the longest values and texts it can show: two
// arms, the tension group, the firmware buttons, a broken wire, in each
// length unit the positions take.
PanelView LongestView(bool lj)
{
    PanelView view;
    view.connected = true;
    view.plot.X1 = -480000;
    view.plot.Y1 = -240000;
    view.plot.X2 = -480000;
    view.plot.Y2 = -240000;
    view.plot.Z = -36000;
    view.plot.Sangle = -359.99;
    view.plot.Wangle = -359.99;
    view.speed = 4990;
    view.plot.speeds[4] = 5000;
    view.speedCaptionKey = lj ? QStringLiteral("szybkoscRobocza") : QStringLiteral("szybkoscPrzestawcza");
    view.wireStateKey = lj ? QStringLiteral("sprawdzBezpiecznik") : QStringLiteral("zerwanyDrut");
    view.lj = lj;
    view.vq = !lj;
    view.showArms = true;
    view.showTension = true;
    view.powerMax = 300;
    view.powerPosition = 300;
    view.measuredCurrent = 99.9;
    view.firmware = QStringLiteral("10.15");
    view.readFailures = 12345;
    view.writeFailures = 12345;
    return view;
}

// Regression: captions such as "Working speed [mm/min]", the Polish
// "Prędkość przestawcza" and the firmware buttons were cut off in the fixed
// window; in inches the positions still said "[mm]".
TEST(PanelForm, EveryTextShowsWholeInEnglishAndPolishInEveryUnit)
{
    for (const char *code : {"US", "PL"}) {
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        for (const int unit : {Units::Millimetre, Units::Inch}) {
            for (const bool lj : {false, true}) {
                SCOPED_TRACE(std::string(code) + (unit == Units::Inch ? " in" : " mm") + (lj ? " LJ" : ""));
                Units::setCurrentLengthUnit(unit);
                TsterForm form;
                form.Translate();
                form.show();
                QCoreApplication::processEvents();
                form.showView(LongestView(lj));
                QKeyEvent altE(QEvent::KeyPress, Qt::Key_E, Qt::AltModifier);
                QCoreApplication::sendEvent(&form, &altE);
                EXPECT_TRUE(form.findChild<QWidget *>("pUpgradeFirmware")->isVisible());
                const QStringList clipped = ClippedTexts(form);
                EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
                EXPECT_TRUE(form.findChild<QGroupBox *>("groupBox1")
                                ->title()
                                .endsWith(QStringLiteral("[") + Units::unitName(unit) + QStringLiteral("]")));
                if (std::string(code) == "PL" && unit == Units::Inch && !lj) {
                    const QString path = QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR "/panel_pl.png");
                    QDir().mkpath(QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR));
                    EXPECT_TRUE(form.grab().save(path));
                }
            }
        }
    }
    Units::setCurrentLengthUnit(Units::Millimetre);
}

// Every activation translated the panel again and dropped the units from
// the speed and heating titles until the next display refresh (none came
// while homing or while the panel was not the active window).
TEST(PanelForm, TitlesKeepTheirUnitsWhenThePanelIsTranslatedAgain)
{
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TsterForm form;
        PanelView view;
        view.connected = true;
        view.speedCaptionKey = QStringLiteral("szybkoscRobocza");
        form.showView(view);
        form.Translate();
        EXPECT_EQ(form.findChild<QGroupBox *>("Szybkosc")->title(),
                  GetText("Control", "szybkoscRobocza") + " [mm/min]");
        EXPECT_EQ(form.findChild<QGroupBox *>("GroupPower")->title(),
                  GetText("Control", "BoxAmper.Caption") + "  [ A ]");
    }
}

// Without the pictures the heating button showed a blank square: its drawn
// lamp must tell on from off.
TEST(PanelForm, HeatingButtonShowsOnAndOffWithoutItsPicture)
{
    FormRig rig;
    auto *heating = rig.form.findChild<QToolButton *>("k_zalwyl");
    ASSERT_NE(heating, nullptr);
    ASSERT_FALSE(heating->icon().isNull());
    auto centre = [heating](bool on) {
        heating->setChecked(on);
        const QImage image = heating->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    };
    const QColor off = centre(false);
    const QColor on = centre(true);
    EXPECT_GT(on.red(), on.green() + 100) << "lit red while heating";
    EXPECT_LT(std::abs(off.red() - off.green()), 30) << "grey while off";
}

TEST(PanelForm, ReflectsTheSimulatedMachine)
{
    FormRig rig;
    rig.machine->setRawPosition(Axis::X1, 12345);
    rig.machine->setRawPosition(Axis::Y2, -250);
    rig.session->toggleHeating();
    rig.session->pollNow();
    EXPECT_EQ(rig.form.labelText("wmxf"), "123.45");
    EXPECT_EQ(rig.form.labelText("wmyb"), "-2.50");
    EXPECT_TRUE(rig.form.findChild<QToolButton *>("k_zalwyl")->isChecked());
    EXPECT_EQ(rig.form.labelText("UsbError"), "0/0");
    rig.session->setTension(35);
    rig.session->pollNow();
    EXPECT_EQ(rig.form.labelText("LabelNaciag"), "35.0");
    EXPECT_EQ(rig.form.findChild<QScrollBar *>("ScrollNaciag")->value(), 35) << "the bar shows the setting";
    rig.machine->setBrokenWire(true);
    rig.session->pollNow();
    EXPECT_EQ(rig.form.labelText("stan_drutu"), "The wire is broken or the fuse has blown.");
}

TEST(PanelForm, KeysJogAndAutoRepeatDoesNotStop)
{
    FormRig rig;
    rig.machine->clearCommands();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.form, &press);
    // X11 auto-repeat: a release and a press marked as repeats.
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&rig.form, &repeatRelease);
    QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&rig.form, &repeatPress);
    const auto &sent = rig.machine->commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), QByteArray("Y")), 0);
    EXPECT_TRUE(rig.session->panel()->jogInProgress());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.form, &release);
    EXPECT_EQ(rig.machine->commands().back(), QByteArray("Y"));
    EXPECT_FALSE(rig.session->panel()->jogInProgress());
}

TEST(PanelForm, AltETogglesTheFirmwarePanel)
{
    FormRig rig;
    rig.form.show();
    QKeyEvent altE(QEvent::KeyPress, Qt::Key_E, Qt::AltModifier);
    QCoreApplication::sendEvent(&rig.form, &altE);
    EXPECT_TRUE(rig.form.findChild<QWidget *>("pUpgradeFirmware")->isVisible());
}

TEST(PanelForm, SpeedLabelRoundsCoarserAsTheSpeedGrows)
{
    EXPECT_EQ(TsterForm::speedText(47), "47");
    EXPECT_EQ(TsterForm::speedText(347), "345");
    EXPECT_EQ(TsterForm::speedText(1234), "1230");
    Units::setCurrentLengthUnit(Units::Inch);
    EXPECT_EQ(TsterForm::speedText(254), "10.0");
    Units::setCurrentLengthUnit(Units::Millimetre);
}

TEST(PanelKeys, QtKeysMapToTheJogTable)
{
    const struct
    {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int jogKey;
    } cases[] = {
        {Qt::Key_Left, Qt::NoModifier, JogKey::Left},
        {Qt::Key_Left, Qt::KeypadModifier, JogKey::Numpad4},
        {Qt::Key_4, Qt::KeypadModifier, JogKey::Numpad4},
        {Qt::Key_4, Qt::NoModifier, 0},
        {Qt::Key_PageUp, Qt::NoModifier, JogKey::PageUp},
        {Qt::Key_PageUp, Qt::KeypadModifier, JogKey::Numpad9},
        {Qt::Key_Home, Qt::KeypadModifier, JogKey::Numpad7},
        {Qt::Key_Clear, Qt::KeypadModifier, JogKey::Numpad5},
        {Qt::Key_Insert, Qt::NoModifier, JogKey::Insert},
        {Qt::Key_0, Qt::KeypadModifier, JogKey::Numpad0},
        {Qt::Key_Plus, Qt::KeypadModifier, JogKey::NumpadAdd},
        {Qt::Key_Minus, Qt::KeypadModifier, JogKey::NumpadSubtract},
        {Qt::Key_F7, Qt::NoModifier, JogKey::F7},
        {Qt::Key_Comma, Qt::NoModifier, JogKey::Comma},
        {Qt::Key_Period, Qt::NoModifier, JogKey::Period},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.qtKey);
        EXPECT_EQ(jogKeyForQtKey(c.qtKey, c.modifiers), c.jogKey);
    }
}

} // namespace
