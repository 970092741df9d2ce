#include "app/ui/dlgkonfig.h"

#include "app/commandline.h"
#include "app/language.h"
#include "app/machinefamily.h"
#include "app/machineidentity.h"
#include "app/messages.h"
#include "app/ui/numericedit.h"
#include "app/units.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char *const kSection = "Configuration";

// Caption keys of the dialog, in the order they are applied.
const char *const kCaptionKeys[] = {
    "Tabsheet2.caption", "ploter.caption", "tabSeryjne.caption", "tabObrotowe.caption", "tabInne.caption",
    "Button1.caption", "cancel.caption", "AutoSave.caption", "zapis.caption", "Odczyt.caption", "CatDir.caption",
    "Labelsrednica.caption", "Labelspeed.caption", "LabelVObrotowa.caption", "lKatObrotu.caption",
    "Labelprzestawcza.caption", "Labelpower.caption", "Labelstarttime.caption", "Wstrzymaj.caption",
    "KierunekObrotow.caption", "Labelilkrok.caption", "dopasujKierunek.caption", "labelXwrzeciona.caption",
    "Labelywrzeciona.caption", "labelXStolika.caption", "LabelYStolika.caption", "btnPobierzXYwrzeciona.Caption",
    "btnPobierzXYstolika.Caption", "gbKalibracja.caption", "rgBazowanie.caption", "Mode.caption",
    "Labelilobr.caption", "Labelpauza.caption", "labelXNarzedzia.caption", "labelYNarzedzia.caption",
    "LabelSkala.caption", "PowerOutput.Caption", "radioUnit.caption", "heavy.caption", "AddFrame.caption",
    "Q7PrzesunPoCieciu", "rgKatObrotu.caption", "rgAlgorytmObrotowego.caption", "LabelSymulacja.caption",
    "LabelSymulacjaNormalna.caption", "LabelSymulacjaSzybka.caption", "Labelplt_accuracy.caption",
    "lRozdzielczoscKrzywychDXF.caption", "lRozdzKrzywychDXFmala.caption", "lRozdzKrzywychDXFduza.caption",
    "cbCheckForUpdate.caption", "cbKrzyzToPunkt.caption", "lGlebokoscNaPrzestawczej.caption", "btnPobierzZ.caption",
    "lGlebokoscNaRoboczej.caption", "lZderzakX.caption", "lZderzakY.caption", "cbAutomOdjazdDoBezpStrefy.caption",
    "lMorvantello_path.caption",
};

// Items of the radio groups: the language keys (or fixed texts) per item.
struct RadioItems
{
    const char *group;
    QStringList keys;
};
const RadioItems kRadioItems[] = {
    {"Mode", KonfigRules::ModeItemKeys()},
    {"rgBazowanie", {"rgBazowanie.items0", "rgBazowanie.items1"}},
    {"KierunekObrotow", {"KierunekObrotow.Item0", "KierunekObrotow.Item1"}},
    {"CatDir", {"catdir.Item0", "catdir.Item1", "catdir.Item2"}},
    {"PowerOutput", {"PowerOutput.Items0", "PowerOutput.Items1"}},
    {"StolikSwitch", {"stolikswitch.Item0", "stolikswitch.Item1", "stolikswitch.Item2"}},
    {"rgKatObrotu", {"rgKatObrotuItem0", "rgKatObrotuItem1"}},
    {"rgAlgorytmObrotowego", {"rgAlgorytmObrotowegoItem0", "rgAlgorytmObrotowegoItem1"}},
};

const QStringList kLengthUnitLabels = {
    "Labelsrednicaunit", "Xwrzecionaunit", "ywrzecionaunit", "XstolikaUnit", "YstolikaUnit",
    "xnarzedziaunit", "Ynarzedziaunit", "fuPlt_accuracyLabel", "lGlebokoscNaPrzestawczejJm",
    "lGlebokoscNaRoboczejJm", "lZderzakXJm", "lZderzakYJm",
};
const QStringList kSpeedUnitLabels = {"LabelszybkoscObrobki", "labelJmVobrotowa", "Labelprzespeed"};

KonfigOptions optionsOfCommandLine()
{
    return {ParamPresent(QStringLiteral("showAll")), ParamPresent(QStringLiteral("RotaryCutExt"))};
}

QString itemName(const QString &group, int index)
{
    return group + QStringLiteral("Item") + QString::number(index);
}

} // namespace

TDlgkonfig::TDlgkonfig(QWidget *parent)
    : QDialog(parent)
    , m_konfig(ProgramFolders::current(), optionsOfCommandLine())
{
    setUp();
}

TDlgkonfig::TDlgkonfig(ProgramFolders folders, KonfigOptions options, MachineIdentity &machine, QWidget *parent)
    : QDialog(parent)
    , m_konfig(std::move(folders), options, machine)
{
    setUp();
}

void TDlgkonfig::setUp()
{
    setObjectName(QStringLiteral("Dlgkonfig"));
    setModal(true);
    if (tInterfejs::instance().rightToLeft())
        setLayoutDirection(Qt::RightToLeft);
    buildUi();
    translate();
    reserveUnitLabelWidths();
    showMessages(m_konfig.create());
    setWindowTitle(m_konfig.caption());
    loadWidgets();
    SetFormLengthUnit(this);
    updateUnitLabels();
    m_tabs->setTabVisible(m_tabs->indexOf(findChild<QWidget *>(QStringLiteral("tabObrotowe"))),
                          m_konfig.options().rotaryCutExt);
    m_tabs->setTabVisible(m_tabs->indexOf(findChild<QWidget *>(QStringLiteral("tabSeryjne"))), false);
    EnableNumPadOnForm(this);
}

TDlgkonfig::~TDlgkonfig()
{
    showMessages(m_konfig.destroy());
}

QString TDlgkonfig::text(const QString &key) const
{
    return GetText(QString::fromLatin1(kSection), key);
}

QWidget *TDlgkonfig::control(const QString &name) const
{
    if (objectName() == name)
        return const_cast<TDlgkonfig *>(this);
    for (QWidget *w : findChildren<QWidget *>()) {
        if (w->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return w;
    }
    return nullptr;
}

QLabel *TDlgkonfig::makeLabel(const QString &name)
{
    auto *label = new QLabel(this);
    label->setObjectName(name);
    return label;
}

QWidget *TDlgkonfig::makeControl(const QString &name)
{
    const SettingInfo &info = *Settings::find(name);
    QWidget *widget = nullptr;
    switch (info.kind) {
    case SettingKind::Radio: {
        auto *box = new QGroupBox(this);
        auto *layout = new QVBoxLayout(box);
        auto *group = new QButtonGroup(box);
        const int items = int(info.max) + 1;
        for (int i = 0; i < items; ++i) {
            auto *radio = new QRadioButton(box);
            radio->setObjectName(itemName(name, i));
            if (name == u"radiounit")
                radio->setText(Units::unitName(i));
            group->addButton(radio, i);
            layout->addWidget(radio);
        }
        m_radioGroups.insert(name, group);
        connect(group, &QButtonGroup::idClicked, this, [this, name](int id) { numberChanged(name, id); });
        widget = box;
        break;
    }
    case SettingKind::Check: {
        auto *box = new QCheckBox(this);
        connect(box, &QCheckBox::clicked, this, [this, name, box] {
            box->setTristate(false);
            numberChanged(name, box->isChecked() ? 1 : 0);
        });
        widget = box;
        break;
    }
    case SettingKind::Real:
    case SettingKind::Length: {
        NumericEdit *edit = info.kind == SettingKind::Real ? static_cast<NumericEdit *>(new TFltEdit(this))
                                                             : static_cast<NumericEdit *>(new TFltEditU(this));
        edit->setRange(info.min, info.max);
        edit->setIncrement(info.step);
        connect(edit, &NumericEdit::valueEdited, this,
                [this, name, edit] { numberChanged(name, double(edit->Value())); });
        widget = edit;
        break;
    }
    case SettingKind::Scroll: {
        auto *bar = new QScrollBar(Qt::Horizontal, this);
        bar->setRange(int(info.min), int(info.max));
        bar->setPageStep(1);
        connect(bar, &QScrollBar::valueChanged, this, [this, name](int v) { numberChanged(name, v); });
        widget = bar;
        break;
    }
    case SettingKind::Text: {
        auto *edit = new QLineEdit(this);
        connect(edit, &QLineEdit::textEdited, this, [this, name](const QString &t) {
            if (!m_updating)
                m_konfig.setWorkingText(*Settings::find(name), t);
        });
        widget = edit;
        break;
    }
    }
    widget->setObjectName(name);
    if (info.hidden)
        widget->setVisible(false);
    return widget;
}

void TDlgkonfig::addRow(QGridLayout *grid, const QString &label, const QString &setting, const QString &unitLabel)
{
    const int row = grid->rowCount();
    QLabel *l = makeLabel(label);
    QWidget *c = makeControl(setting);
    grid->addWidget(l, row, 0);
    grid->addWidget(c, row, 1);
    QLabel *u = nullptr;
    if (!unitLabel.isEmpty()) {
        u = makeLabel(unitLabel);
        grid->addWidget(u, row, 2);
    }
    if (Settings::find(setting)->hidden) {
        l->setVisible(false);
        if (u)
            u->setVisible(false);
    }
}

QWidget *TDlgkonfig::buildWorkPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tabsheet2"));
    auto *outer = new QHBoxLayout(page);
    auto *grid = new QGridLayout;
    outer->addLayout(grid);
    addRow(grid, "Labelpower", "work_power", "LabelPowerJM");
    addRow(grid, "Labelstarttime", "CzasRozgrzewania", "");
    addRow(grid, "Labelspeed", "szybkoscObrobki", "LabelszybkoscObrobki");
    addRow(grid, "Labelprzestawcza", "PrzeSpeed", "Labelprzespeed");
    addRow(grid, "LabelVObrotowa", "feuVobrotowa", "labelJmVobrotowa");
    addRow(grid, "lKatObrotu", "feKatObrotu", "");
    addRow(grid, "LabelSkala", "skala", "");
    addRow(grid, "Labelsrednica", "Srednicamaterialu", "Labelsrednicaunit");
    addRow(grid, "Labelilobr", "il_obr_rys", "");
    addRow(grid, "Labelilkrok", "ilosckrokow", "");
    addRow(grid, "Labelpauza", "Pauza_w_kacie", "");
    grid->setRowStretch(grid->rowCount(), 1);
    auto *side = new QVBoxLayout;
    outer->addLayout(side);
    for (const char *name : {"radiounit", "Mode", "KierunekObrotow", "StolikSwitch", "CatDir", "PowerOutput"})
        side->addWidget(makeControl(QString::fromLatin1(name)));
    for (const char *name : {"Heavy", "MoveAfter", "dopasujKierunek", "Wstrzymaj", "AddFrame", "cbKrzyzToPunkt"})
        side->addWidget(makeControl(QString::fromLatin1(name)));
    side->addStretch();
    return page;
}

QWidget *TDlgkonfig::buildPlotterPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("ploter"));
    auto *layout = new QVBoxLayout(page);
    auto *calibration = new QGroupBox(page);
    calibration->setObjectName(QStringLiteral("gbKalibracja"));
    auto *cgrid = new QGridLayout(calibration);
    cgrid->addWidget(new QLabel(QStringLiteral("X [%]"), calibration), 0, 0);
    cgrid->addWidget(makeControl("feKalibracjaX"), 0, 1);
    cgrid->addWidget(new QLabel(QStringLiteral("Y [%]"), calibration), 1, 0);
    cgrid->addWidget(makeControl("feKalibracjaY"), 1, 1);
    layout->addWidget(calibration);
    layout->addWidget(makeControl("rgBazowanie"));

    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    addRow(grid, "labelXwrzeciona", "Xwrzeciona", "Xwrzecionaunit");
    addRow(grid, "Labelywrzeciona", "Ywrzeciona", "ywrzecionaunit");
    addRow(grid, "labelXStolika", "Xstolika", "XstolikaUnit");
    addRow(grid, "LabelYStolika", "Ystolika", "YstolikaUnit");
    addRow(grid, "labelXNarzedzia", "Xnarzedzia", "xnarzedziaunit");
    addRow(grid, "labelYNarzedzia", "Ynarzedzia", "Ynarzedziaunit");
    addRow(grid, "lGlebokoscNaPrzestawczej", "feuGlebokoscNaPrzestawczej", "lGlebokoscNaPrzestawczejJm");
    addRow(grid, "lGlebokoscNaRoboczej", "feuGlebokoscNaRoboczej", "lGlebokoscNaRoboczejJm");
    addRow(grid, "lZderzakX", "feuZderzakX", "lZderzakXJm");
    addRow(grid, "lZderzakY", "feuZderzakY", "lZderzakYJm");
    grid->setColumnStretch(3, 1);

    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    struct Button
    {
        const char *name;
        const char *x, *y, *z;
        bool visible;
    };
    // The spindle and table positions are hidden settings, so are their buttons.
    const Button list[] = {{"btnPobierzXYwrzeciona", "Xwrzeciona", "Ywrzeciona", "", false},
                           {"btnPobierzXYstolika", "Xstolika", "Ystolika", "", false},
                           {"btnPobierzZ", "", "", "feuGlebokoscNaPrzestawczej", true}};
    for (const Button &b : list) {
        auto *button = new QPushButton(page);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setVisible(b.visible);
        const QString x = QString::fromLatin1(b.x), y = QString::fromLatin1(b.y), z = QString::fromLatin1(b.z);
        connect(button, &QPushButton::clicked, this, [this, x, y, z] { readPositions(x, y, z); });
        buttons->addWidget(button);
    }
    layout->addWidget(makeControl("cbAutomOdjazdDoBezpStrefy"));
    layout->addStretch();
    return page;
}

QWidget *TDlgkonfig::buildSerialPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSeryjne"));
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(makeControl("rgKatObrotu"));
    layout->addStretch();
    return page;
}

QWidget *TDlgkonfig::buildRotaryPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabObrotowe"));
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(makeControl("rgAlgorytmObrotowego"));
    QLabel *picture = makeLabel(QStringLiteral("iObrotoweSchemat"));
    picture->setMinimumSize(200, 150);
    layout->addWidget(picture);
    connect(m_radioGroups.value(QStringLiteral("rgAlgorytmObrotowego")), &QButtonGroup::idClicked, this,
            [this] { rgAlgorytmObrotowegoClick(); });
    return page;
}

QWidget *TDlgkonfig::buildOtherPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabInne"));
    auto *grid = new QGridLayout(page);
    addRow(grid, "Labelplt_accuracy", "fuPlt_accuracy", "fuPlt_accuracyLabel");
    int row = grid->rowCount();
    grid->addWidget(makeLabel("LabelSymulacja"), row, 0);
    grid->addWidget(makeLabel("LabelSymulacjaNormalna"), row + 1, 0);
    grid->addWidget(makeControl("sbWspSymulacji"), row + 1, 1);
    grid->addWidget(makeLabel("LabelSymulacjaSzybka"), row + 1, 2);
    grid->addWidget(makeLabel("lRozdzielczoscKrzywychDXF"), row + 2, 0);
    grid->addWidget(makeLabel("lRozdzKrzywychDXFmala"), row + 3, 0);
    grid->addWidget(makeControl("sbRozdzKrzywychDXF"), row + 3, 1);
    grid->addWidget(makeLabel("lRozdzKrzywychDXFduza"), row + 3, 2);
    grid->addWidget(makeLabel("lMorvantello_path"), row + 4, 0);
    grid->addWidget(makeControl("eMorvantello_path"), row + 4, 1, 1, 2);
    grid->addWidget(makeControl("cbCheckForUpdate"), row + 5, 0);
    grid->setRowStretch(row + 6, 1);
    return page;
}

void TDlgkonfig::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl"));
    layout->addWidget(m_tabs);
    for (QWidget *page : {buildWorkPage(), buildPlotterPage(), buildSerialPage(), buildRotaryPage(), buildOtherPage()})
        m_tabs->addTab(page, page->objectName());

    auto *bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    bottom->addWidget(makeControl("AutoSave"));
    bottom->addStretch();
    auto addButton = [&](const char *name, auto slot) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        bottom->addWidget(b);
        return b;
    };
    addButton("zapis", [this] { zapisClick(); });
    addButton("Odczyt", [this] { OdczytClick(); });
    addButton("Button1", [this] { accept(); })->setDefault(true);
    addButton("cancel", [this] { reject(); });
}

void TDlgkonfig::translate()
{
    for (const char *raw : kCaptionKeys) {
        const QString key = QString::fromLatin1(raw);
        QString name = key;
        if (name.endsWith(QStringLiteral(".caption"), Qt::CaseInsensitive))
            name.chop(8);
        if (name == u"Q7PrzesunPoCieciu")
            name = QStringLiteral("MoveAfter");
        const QString caption = text(key);
        QWidget *w = control(name);
        if (!w)
            continue;
        const int tab = m_tabs->indexOf(w);
        if (tab >= 0)
            m_tabs->setTabText(tab, caption);
        else if (auto *label = qobject_cast<QLabel *>(w))
            label->setText(caption);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            button->setText(caption);
        else if (auto *box = qobject_cast<QGroupBox *>(w))
            box->setTitle(caption);
    }
    for (const RadioItems &items : kRadioItems) {
        const QString group = QString::fromLatin1(items.group);
        for (int i = 0; i < items.keys.size(); ++i) {
            if (auto *radio = findChild<QRadioButton *>(itemName(group, i)))
                radio->setText(text(items.keys[i]));
        }
    }
}

void TDlgkonfig::showMessages(const std::vector<KonfigMessage> &messages)
{
    for (const KonfigMessage &m : messages) {
        const QString t = GetText(m.section, m.key);
        if (m.keyIsCaption)
            ShowMsg(m.detail, m.error, t);
        else
            ShowMsg(t + QStringLiteral("\n") + m.detail, m.error);
    }
}

void TDlgkonfig::loadWidgets()
{
    m_updating = true;
    const Settings &s = m_konfig.working();
    for (const SettingInfo &info : Settings::table()) {
        QWidget *w = control(info.key());
        switch (info.kind) {
        case SettingKind::Radio:
            if (QAbstractButton *b = m_radioGroups.value(info.key())->button(int(s.number(info))))
                b->setChecked(true);
            break;
        case SettingKind::Check: {
            auto *box = static_cast<QCheckBox *>(w);
            const auto state = CheckState(int(s.number(info)));
            box->setTristate(state == CheckState::Grayed);
            box->setCheckState(state == CheckState::Checked  ? Qt::Checked
                               : state == CheckState::Grayed ? Qt::PartiallyChecked
                                                             : Qt::Unchecked);
            break;
        }
        case SettingKind::Real:
        case SettingKind::Length: {
            auto *edit = static_cast<NumericEdit *>(w);
            edit->setRange(s.minimum(info), s.maximum(info));
            edit->setValue(s.number(info));
            break;
        }
        case SettingKind::Scroll:
            static_cast<QScrollBar *>(w)->setValue(int(s.number(info)));
            break;
        case SettingKind::Text:
            static_cast<QLineEdit *>(w)->setText(s.text(info));
            break;
        }
    }
    m_updating = false;
    updatePowerLabel();
}

void TDlgkonfig::numberChanged(const QString &name, double value)
{
    if (m_updating)
        return;
    // A value still being typed (the scroll bars take no focus, so the caret
    // can stay in its field) is taken in first: showing the change would
    // otherwise put the old value back over it.
    commitFields();
    const auto activation = m_konfig.setWorkingNumber(*Settings::find(name), value);
    if (name == u"radiounit")
        Units::setCurrentLengthUnit(m_konfig.working().radiounit);
    loadWidgets();
    if (activation) {
        applyActivation(*activation);
        if (name != u"KierunekObrotow" && name != u"StolikSwitch") {
            SetFormLengthUnit(this);
            updateUnitLabels();
            updateModeHint();
        }
    }
}

void TDlgkonfig::setEnabled(const QStringList &names, KonfigRules::Enable enable)
{
    if (enable == KonfigRules::Enable::Unchanged)
        return;
    for (const QString &name : names) {
        if (QWidget *w = control(name))
            w->setEnabled(enable == KonfigRules::Enable::On);
    }
}

void TDlgkonfig::applyActivation(const KonfigRules::Activation &a)
{
    setEnabled({"CatDir"}, a.catDir);
    setEnabled({"Srednicamaterialu", "Labelsrednica", "Labelsrednicaunit"}, a.materialDiameter);
    setEnabled({"Xnarzedzia", "Ynarzedzia", "labelXNarzedzia", "labelYNarzedzia", "xnarzedziaunit", "Ynarzedziaunit"},
               a.toolOffset);
    setEnabled({"szybkoscObrobki", "PrzeSpeed", "feuVobrotowa", "work_power", "CzasRozgrzewania", "Pauza_w_kacie",
                "Xwrzeciona", "Ywrzeciona", "Labelspeed", "LabelszybkoscObrobki", "Labelprzestawcza",
                "Labelprzespeed", "LabelVObrotowa", "labelJmVobrotowa", "Labelpower", "LabelPowerJM",
                "Labelstarttime", "Labelpauza", "labelXwrzeciona", "Labelywrzeciona", "Xwrzecionaunit",
                "ywrzecionaunit"},
               a.speedsAndPower);
    setEnabled({"Wstrzymaj"}, a.pauseAfterLayer);
    setEnabled({"KierunekObrotow"}, a.rotationDirection);
    setEnabled({"ilosckrokow", "il_obr_rys", "Labelilkrok", "Labelilobr"}, a.stepsPerTurn);
    setEnabled({"dopasujKierunek"}, a.adaptDirection);
    setEnabled({"Heavy"}, a.heavy);
    setEnabled({"StolikSwitch"}, a.rotaryAxis);
    setEnabled({"PowerOutput"}, a.powerOutput);
    setEnabled({"MoveAfter"}, a.moveAfter);
    setEnabled({"tabSeryjne", "rgKatObrotu"}, a.serialTab);
}

void TDlgkonfig::reserveUnitLabelWidths()
{
    // The unit labels keep the width of their widest text, so that nothing
    // beside them moves when the unit changes.
    auto reserve = [this](const QStringList &labels, const QStringList &texts) {
        for (const QString &name : labels) {
            if (auto *l = findChild<QLabel *>(name)) {
                int width = 0;
                for (const QString &text : texts)
                    width = std::max(width, l->fontMetrics().horizontalAdvance(text));
                l->setMinimumWidth(width + 2 * l->margin() + 2);
            }
        }
    };
    QStringList lengths, speeds;
    for (int unit = Units::Millimetre; unit <= Units::Foot; ++unit) {
        lengths << Units::unitLabel(unit);
        speeds << QStringLiteral("[") + Units::unitName(unit) + text(QStringLiteral("naMinute"));
    }
    reserve(kLengthUnitLabels, lengths);
    reserve(kSpeedUnitLabels, speeds);
    reserve({QStringLiteral("LabelPowerJM")}, {QStringLiteral("[A]"), QStringLiteral("[%]")});
}

void TDlgkonfig::updateUnitLabels()
{
    const int unit = Units::currentLengthUnit();
    const QString name = Units::unitName(unit);
    for (const QString &label : kLengthUnitLabels) {
        if (auto *l = findChild<QLabel *>(label))
            l->setText(Units::unitLabel(unit));
    }
    for (const QString &label : kSpeedUnitLabels) {
        if (auto *l = findChild<QLabel *>(label))
            l->setText(QStringLiteral("[") + name + text(QStringLiteral("naMinute")));
    }
    // Increments of the speeds and the diameter: 100 mm, 1 inch or 0.1 foot.
    const long double step = unit == Units::Inch ? 25.4L : unit == Units::Foot ? 30.48L : 100.0L;
    for (const char *field : {"Srednicamaterialu", "szybkoscObrobki", "feuVobrotowa", "PrzeSpeed"})
        static_cast<NumericEdit *>(control(QString::fromLatin1(field)))->setIncrement(step);
    const long double accuracyStep = unit == Units::Inch ? 0.001L : unit == Units::Foot ? 0.0001L : 0.1L;
    static_cast<NumericEdit *>(control(QStringLiteral("fuPlt_accuracy")))->setIncrement(accuracyStep);
}

void TDlgkonfig::updatePowerLabel()
{
    const auto limit = KonfigRules::powerLimit(m_konfig.working().PowerOutput, machine());
    if (auto *l = findChild<QLabel *>(QStringLiteral("LabelPowerJM")))
        l->setText(limit.percent ? QStringLiteral("[%]") : QStringLiteral("[A]"));
}

void TDlgkonfig::updateModeHint()
{
    const int item = KonfigRules::recommendedPowerOutput(m_konfig.working().Mode);
    QString hint;
    if (item >= 0) {
        auto *radio = findChild<QRadioButton *>(itemName(QStringLiteral("PowerOutput"), item));
        hint = text(QStringLiteral("zalecane")) + QStringLiteral(" : ") + radio->text();
    }
    control(QStringLiteral("Mode"))->setToolTip(hint);
}

void TDlgkonfig::FormActivate()
{
    const KonfigRules::Activation activation = m_konfig.activate();
    const bool q7 = IsFamily(machine().familyCode(), QLatin1StringView("Q7"));
    control(QStringLiteral("MoveAfter"))->setVisible(q7);
    for (int i = 0; i < 6; ++i) {
        if (auto *radio = findChild<QRadioButton *>(itemName(QStringLiteral("Mode"), i)))
            radio->setVisible(i < m_konfig.modeItemCount());
    }
    Units::setCurrentLengthUnit(m_konfig.working().radiounit);
    loadWidgets();
    applyActivation(activation);
    SetFormLengthUnit(this);
    updateUnitLabels();
    updateModeHint();
    rgAlgorytmObrotowegoClick();
    setWindowTitle(m_konfig.caption());
}

void TDlgkonfig::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormActivate();
    QDialog::showEvent(event);
}

void TDlgkonfig::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        Units::setCurrentLengthUnit(Settings::current().radiounit);
}

void TDlgkonfig::commitFields()
{
    // Values typed but not yet taken in (the caret still in a field) count,
    // clamped like every other.
    m_updating = true;
    for (const SettingInfo &info : Settings::table()) {
        QWidget *w = control(info.key());
        if (info.kind == SettingKind::Real || info.kind == SettingKind::Length)
            m_konfig.setWorkingNumber(info, double(static_cast<NumericEdit *>(w)->Value()));
        else if (info.kind == SettingKind::Text)
            m_konfig.setWorkingText(info, static_cast<QLineEdit *>(w)->text());
    }
    m_updating = false;
}

void TDlgkonfig::done(int result)
{
    if (result == QDialog::Accepted) {
        commitFields();
        showMessages(m_konfig.accept());
    } else {
        m_konfig.cancel();
    }
    loadWidgets();
    QDialog::done(result);
}

void TDlgkonfig::rgAlgorytmObrotowegoClick()
{
    auto *picture = findChild<QLabel *>(QStringLiteral("iObrotoweSchemat"));
    const QString path = m_konfig.folders().resourcePath(
        m_konfig.working().rgAlgorytmObrotowego == 1 ? QStringLiteral("Images/RotaryCut2.bmp")
                                                     : QStringLiteral("Images/RotaryCut1.bmp"));
    const QPixmap pixmap(path);
    if (pixmap.isNull()) {
        picture->clear();
        picture->setToolTip(GetText(QStringLiteral("Universal"), QStringLiteral("txtPlikuBrak"))
                            + QStringLiteral(" :\n\r") + path);
    } else {
        picture->setPixmap(pixmap);
        picture->setToolTip(QString());
    }
}

void TDlgkonfig::readPositions(const QString &xField, const QString &yField, const QString &zField)
{
    const auto position = machine().homedPosition();
    if (!position) {
        ShowMsg(text(QStringLiteral("wykonajBazowaniePrzed")), true);
        return;
    }
    // The controller reports hundredths of a millimetre.
    if (!xField.isEmpty())
        m_konfig.setWorkingNumber(*Settings::find(xField), position->x / 100.0);
    if (!yField.isEmpty())
        m_konfig.setWorkingNumber(*Settings::find(yField), position->y / 100.0);
    if (!zField.isEmpty())
        m_konfig.setWorkingNumber(*Settings::find(zField), position->z / 100.0);
    loadWidgets();
}

void TDlgkonfig::zapisClick()
{
    commitFields();
    const QString folder = QFileInfo(m_konfig.caption()).absolutePath();
    const QString path = QFileDialog::getSaveFileName(this, QString(), folder + QStringLiteral("/*.mcc"),
                                                      QStringLiteral("*.mcc"));
    if (path.isEmpty())
        return;
    showMessages(m_konfig.saveAs(path));
    setWindowTitle(m_konfig.caption());
}

void TDlgkonfig::OdczytClick()
{
    const QString folder = QFileInfo(m_konfig.caption()).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, text(QStringLiteral("opendialogkonfig.title")),
                                                      folder + QStringLiteral("/*.mcc"), QStringLiteral("*.mcc"));
    if (path.isEmpty())
        return;
    LoadKonfig(path);
}

bool TDlgkonfig::LoadKonfig(const QString &path)
{
    const bool editing = m_konfig.editing();
    const KonfigLoad load = editing ? m_konfig.loadFrom(path) : m_konfig.loadKonfig(path);
    showMessages(load.messages);
    if (!load.taken)
        return false;
    if (editing) {
        setWindowTitle(m_konfig.caption());
        Units::setCurrentLengthUnit(m_konfig.working().radiounit);
        loadWidgets();
        Settings probe = m_konfig.working();
        applyActivation(KonfigRules::updateactiv(probe));
        SetFormLengthUnit(this);
        updateUnitLabels();
        updateModeHint();
    } else {
        loadWidgets();
    }
    return true;
}

void TDlgkonfig::SaveKonfig(const QString &path)
{
    if (m_konfig.editing())
        commitFields();
    showMessages(m_konfig.saveKonfig(path));
}
