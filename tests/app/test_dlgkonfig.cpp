#include "app/common.h"
#include "app/language.h"
#include "app/machineidentity.h"
#include "app/ui/dlgkonfig.h"
#include "app/ui/dlgkonfigadapter.h"
#include "app/ui/numericedit.h"
#include "app/units.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <optional>

namespace {

tInterfejs shippedLanguage(const char *lang)
{
    tInterfejs language;
    const LanguageFileCheck check {QStringLiteral(PRENTAVIK_SOURCE_DIR) + QStringLiteral("/lang"),
                                   QStringLiteral("Prentavik"), VersionString(false, false)};
    EXPECT_TRUE(language.LoadFile(QString::fromLatin1(lang), check));
    return language;
}

class DlgkonfigTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Settings::setCurrent(Settings());
    }
    void TearDown() override { Settings::setCurrent(Settings()); }

    std::unique_ptr<TDlgkonfig> make()
    {
        auto dialog = std::make_unique<TDlgkonfig>(ProgramFolders(m_dir.path()), KonfigOptions {}, m_machine);
        dialog->setLocale(QLocale::c());
        return dialog;
    }
    NumericEdit *field(TDlgkonfig &dialog, const char *name)
    {
        return qobject_cast<NumericEdit *>(dialog.control(QString::fromLatin1(name)));
    }
    QString labelText(TDlgkonfig &dialog, const char *name)
    {
        return qobject_cast<QLabel *>(dialog.control(QString::fromLatin1(name)))->text();
    }

    QTemporaryDir m_dir;
    StubMachineIdentity m_machine;
    RecordingMessageBoxes m_boxes;
};

} // namespace

TEST_F(DlgkonfigTest, CaptionsComeFromTheLanguageFile)
{
    struct Case
    {
        const char *lang, *tab, *cancel, *homing, *catDirBoth;
    };
    const Case cases[] = {
        {"US", "Work parameters", "Cancel", "Homing", "Both ways"},
        {"PL", "Parametry pracy", "Anuluj", "Bazowanie", "W obie strony"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lang);
        ScopedLanguage language(shippedLanguage(c.lang));
        auto dialog = make();
        auto *tabs = dialog->findChild<QTabWidget *>();
        EXPECT_EQ(tabs->tabText(0), QString::fromUtf8(c.tab));
        EXPECT_EQ(qobject_cast<QPushButton *>(dialog->control("cancel"))->text(),
                  QString::fromUtf8(c.cancel));
        EXPECT_EQ(qobject_cast<QGroupBox *>(dialog->control("rgBazowanie"))->title(),
                  QString::fromUtf8(c.homing));
        EXPECT_EQ(dialog->findChild<QRadioButton *>("CatDirItem2")->text(), QString::fromUtf8(c.catDirBoth));
        // No control anywhere shows the text of a missing key.
        for (QLabel *label : dialog->findChildren<QLabel *>())
            EXPECT_NE(label->text(), "error") << label->objectName().toStdString();
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            EXPECT_NE(button->text(), "error") << button->objectName().toStdString();
    }
}

TEST_F(DlgkonfigTest, OpensInEachUnit)
{
    ScopedLanguage language(shippedLanguage("US"));
    struct Case
    {
        int unit;
        const char *speedText, *unitLabel, *speedLabel;
        double speedStep;
    };
    const Case cases[] = {
        {0, "1000", "[mm]", "[mm/min]", 100},
        {1, "39.3700787401575", "[in]", "[in/min]", 25.4},
        {2, "3.28083989501312", "[ft]", "[ft/min]", 30.48},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.unit);
        QFile::remove(m_dir.filePath("Prentavik.mcc")); // the settings below become the file
        Settings s;
        s.radiounit = c.unit;
        Settings::setCurrent(s);
        auto dialog = make();
        dialog->show();
        EXPECT_EQ(field(*dialog, "szybkoscObrobki")->text(), c.speedText);
        EXPECT_DOUBLE_EQ(double(field(*dialog, "szybkoscObrobki")->Increment()), c.speedStep);
        EXPECT_EQ(labelText(*dialog, "lZderzakXJm"), c.unitLabel);
        EXPECT_EQ(labelText(*dialog, "LabelszybkoscObrobki"), c.speedLabel);
        EXPECT_EQ(labelText(*dialog, "LabelPowerJM"), "[A]");
        dialog->accept();
        EXPECT_EQ(Settings::current().szybkoscObrobki, 1000.0); // unchanged text keeps the millimetres
    }
}

// Regression: the speed fields in inches showed "39.370078740" of their
// value, and the length-unit group moved sideways when the unit changed.
TEST_F(DlgkonfigTest, EveryTextShowsWholeAndTheUnitGroupStaysInPlace)
{
    for (const char *lang : {"US", "PL"}) {
        ScopedLanguage language(shippedLanguage(lang));
        std::optional<QPoint> unitGroupAt;
        for (const int unit : {Units::Millimetre, Units::Inch, Units::Foot}) {
            SCOPED_TRACE(std::string(lang) + " unit " + std::to_string(unit));
            QFile::remove(m_dir.filePath("Prentavik.mcc"));
            Settings s;
            s.radiounit = unit;
            // The longest values the fields take in every unit.
            s.szybkoscObrobki = 4999;
            s.PrzeSpeed = 4999;
            s.feuVobrotowa = 4999;
            s.Srednicamaterialu = 1999.9;
            s.fuPlt_accuracy = 0.1;
            Settings::setCurrent(s);
            auto dialog = std::make_unique<TDlgkonfig>(ProgramFolders(m_dir.path()),
                                                       KonfigOptions {true, true}, m_machine);
            dialog->show();
            auto *tabs = dialog->findChild<QTabWidget *>();
            for (int tab = 0; tab < tabs->count(); ++tab) {
                if (!tabs->isTabVisible(tab))
                    continue;
                tabs->setCurrentIndex(tab);
                const QStringList clipped = ClippedTexts(*dialog);
                EXPECT_TRUE(clipped.isEmpty()) << tabs->tabText(tab).toStdString() << ":\n"
                                               << Listed(clipped);
            }
            if (std::string(lang) == "PL" && unit == Units::Inch) {
                tabs->setCurrentIndex(0);
                QDir().mkpath(QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR));
                EXPECT_TRUE(
                    dialog->grab().save(QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR "/configuration_pl.png")));
            }
            tabs->setCurrentIndex(0);
            ClippedTexts(*dialog);
            const QPoint at = dialog->control(QStringLiteral("radiounit"))->mapTo(dialog.get(), QPoint(0, 0));
            EXPECT_EQ(at, unitGroupAt.value_or(at));
            unitGroupAt = at;
            dialog->reject();
        }
    }
}

TEST_F(DlgkonfigTest, ATypedValueOutsideTheRangeIsClampedOnOk)
{
    m_machine.name = QStringLiteral("bn45"); // a known machine heated in amperes, at most 30
    auto dialog = make();
    dialog->show();
    // Broke before: a value typed while the caret stayed in its field skipped
    // the range check and a power above the maximum reached the machine.
    // Typed, the caret still in the field: never taken in by leaving it.
    field(*dialog, "work_power")->findChild<QLineEdit *>()->setText("99");
    field(*dialog, "skala")->findChild<QLineEdit *>()->setText("0");
    dialog->accept();
    EXPECT_EQ(Settings::current().work_power, 30.0);
    EXPECT_EQ(Settings::current().skala, 1.0);
}

TEST_F(DlgkonfigTest, AValueBeingTypedSurvivesAChangeElsewhere)
{
    auto dialog = make();
    dialog->show();
    // A scroll bar takes no focus: the caret stays in the field typed into.
    field(*dialog, "fuPlt_accuracy")->findChild<QLineEdit *>()->setText("0.1");
    qobject_cast<QScrollBar *>(dialog->control("sbWspSymulacji"))->setValue(5);
    EXPECT_EQ(field(*dialog, "fuPlt_accuracy")->text(), "0.1");
    dialog->accept();
    EXPECT_EQ(Settings::current().fuPlt_accuracy, 0.1);
    EXPECT_EQ(Settings::current().sbWspSymulacji, 5);
}

TEST_F(DlgkonfigTest, CancelRestoresTheValuesShownOnOpening)
{
    auto dialog = make();
    dialog->show();
    NumericEdit *skala = field(*dialog, "skala");
    skala->findChild<QLineEdit *>()->setText("55");
    skala->commitText();
    qobject_cast<QCheckBox *>(dialog->control("Heavy"))->click();
    dialog->findChild<QRadioButton *>("radiounitItem1")->click();
    EXPECT_EQ(dialog->konfig().working().skala, 55.0);
    EXPECT_EQ(dialog->konfig().working().Heavy, CheckState::Checked);
    EXPECT_EQ(Units::currentLengthUnit(), 1);
    dialog->reject();
    EXPECT_EQ(Settings::current().skala, 100.0);
    EXPECT_EQ(Settings::current().Heavy, CheckState::Unchecked);
    EXPECT_EQ(Units::currentLengthUnit(), 0);
    dialog->show();
    EXPECT_EQ(skala->text(), "100");
}

TEST_F(DlgkonfigTest, SwitchingModeAndOutputUpdatesTheDialog)
{
    auto dialog = make();
    dialog->show();
    EXPECT_FALSE(dialog->control("Srednicamaterialu")->isEnabled());
    dialog->findChild<QRadioButton *>("ModeItem2")->click();
    EXPECT_TRUE(dialog->control("Srednicamaterialu")->isEnabled());
    EXPECT_TRUE(dialog->findChild<QRadioButton *>("StolikSwitchItem1")->isChecked());
    EXPECT_TRUE(dialog->findChild<QRadioButton *>("CatDirItem2")->isChecked());
    EXPECT_FALSE(dialog->control("CatDir")->isEnabled());
    dialog->findChild<QRadioButton *>("ModeItem0")->click();
    field(*dialog, "work_power")->setValue(20);
    field(*dialog, "work_power")->commitText();
    dialog->findChild<QRadioButton *>("PowerOutputItem1")->click();
    EXPECT_EQ(field(*dialog, "work_power")->text(), "12");
    dialog->accept();
    EXPECT_TRUE(dialog->konfig().flags().modeChanged);
    EXPECT_TRUE(dialog->konfig().flags().powerOutputChanged);
    EXPECT_EQ(Settings::current().work_power, 12.0);
}

TEST_F(DlgkonfigTest, ReadingPositionsNeedsAHomedMachine)
{
    ScopedLanguage language(shippedLanguage("US"));
    auto dialog = make();
    dialog->show();
    m_boxes.shown.clear();
    qobject_cast<QPushButton *>(dialog->control("btnPobierzZ"))->click();
    ASSERT_EQ(m_boxes.shown.size(), 1u);
    EXPECT_EQ(m_boxes.shown[0].text, GetText("Configuration", "wykonajBazowaniePrzed"));
    m_machine.position = MachineIdentity::Position {1000, 2000, 4550};
    qobject_cast<QPushButton *>(dialog->control("btnPobierzZ"))->click();
    EXPECT_EQ(dialog->konfig().working().feuGlebokoscNaPrzestawczej, 45.5);
    EXPECT_EQ(m_boxes.shown.size(), 1u);
}

TEST_F(DlgkonfigTest, TellsTheMainWindowWhatChanged)
{
    auto dialog = make();
    DlgkonfigAdapter adapter(*dialog);
    IConfigurationDialog &asked = adapter;
    dialog->show();
    dialog->findChild<QRadioButton *>("ModeItem1")->click();
    dialog->accept();
    EXPECT_TRUE(asked.modeChanged());
    EXPECT_TRUE(asked.rotationSettingsClicked()); // every refresh of the enabling counts
    EXPECT_TRUE(asked.powerOutputChanged()); // the start-up load counts until the machine is told
    asked.clearPowerOutputChanged();
    asked.clearRotationSettingsClicked();
    EXPECT_FALSE(asked.powerOutputChanged());
    EXPECT_FALSE(asked.rotationSettingsClicked());
    dialog->show();
    EXPECT_FALSE(asked.modeChanged()); // opening clears it
    dialog->reject();
    EXPECT_FALSE(asked.modeChanged());
}
