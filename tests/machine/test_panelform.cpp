#include "app/common.h"
#include "app/language.h"
#include "app/units.h"
#include "machine/machinekeys.h"
#include "machine/machinesession.h"
#include "machine/panelkeys.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/sterowanieform.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
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
