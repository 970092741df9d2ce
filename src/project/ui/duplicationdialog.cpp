#include "project/ui/duplicationdialog.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/ui/numericedit.h"
#include "app/ui/widgetroutines.h"
#include "app/units.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Section = QStringLiteral("Duplication_parameters");

QString Text(const QString &key)
{
    return GetText(Section, key);
}

// A size in the current unit with its decimals, followed by a blank.
QString SizeText(double mm, int unit)
{
    return FixedText(double(Units::MmToUnit(unit, mm)), UnitDecimals(unit)) + QLatin1Char(' ');
}

QLabel *Panel(QWidget *parent, const char *name)
{
    QLabel *panel = NewValuePanel(parent, name);
    panel->setMinimumWidth(90);
    return panel;
}

// The six fields by the check that names them and the value they hold.
struct FieldInfo
{
    TDuplicationField field;
    const char *name;
    double TDuplicationParams::*value;
};
constexpr FieldInfo Fields[] = {
    {TDuplicationField::CopiesPerRow, "feIloscElemWWierszu", &TDuplicationParams::copiesPerRow},
    {TDuplicationField::Rows, "feIloscWierszy", &TDuplicationParams::rows},
    {TDuplicationField::ElementSpacing, "feuPrzesuniecieMdzyElem", &TDuplicationParams::elementSpacing},
    {TDuplicationField::RowSpacing, "feuPrzesMdzyWierszami", &TDuplicationParams::rowSpacing},
    {TDuplicationField::VerticalLine, "feuOdlMdzyEl_i_laczPionowym", &TDuplicationParams::verticalLine},
    {TDuplicationField::HorizontalLine, "feuOdlMdzyEl_i_laczPoziomym", &TDuplicationParams::horizontalLine},
};

void SetBold(QLabel *label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

} // namespace

TfParDup::TfParDup(TMDIChild &source, TProjectWindowHost &host, QWidget *parent)
    : QDialog(parent)
    , m_source(source)
    , m_host(host)
{
    setObjectName(QStringLiteral("fParDup"));
    auto *layout = new QVBoxLayout(this);

    auto *pattern = new QGroupBox(this);
    pattern->setObjectName(QStringLiteral("gbWzorzec"));
    auto *patternGrid = new QGridLayout(pattern);
    auto label = [this](const char *name) {
        auto *created = new QLabel(this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    auto *file = new QLineEdit(pattern);
    file->setObjectName(QStringLiteral("ePlik"));
    file->setReadOnly(true);
    file->setFocusPolicy(Qt::ClickFocus);
    file->setMinimumWidth(360);
    patternGrid->addWidget(label("lPlik"), 0, 0);
    patternGrid->addWidget(file, 0, 1, 1, 6);
    patternGrid->addWidget(label("lWymiary"), 1, 0);
    patternGrid->addWidget(label("lSzerokosc"), 1, 1, Qt::AlignRight);
    patternGrid->addWidget(Panel(pattern, "pWzorzecSzerokosc"), 1, 2);
    patternGrid->addWidget(label("lJm1"), 1, 3);
    patternGrid->addWidget(label("lWysokosc"), 1, 4, Qt::AlignRight);
    patternGrid->addWidget(Panel(pattern, "pWzorzecWysokosc"), 1, 5);
    patternGrid->addWidget(label("lJm2"), 1, 6);
    layout->addWidget(pattern);

    auto *grid = new QGridLayout;
    addField(grid, 0, "feIloscElemWWierszu", {"lIloscElemWWierszu"}, false);
    addField(grid, 1, "feIloscWierszy", {"lIloscWierszy"}, false);
    addField(grid, 2, "feuPrzesuniecieMdzyElem", {"lPrzesuniecieMdzyElem1", "lPrzesuniecieMdzyElem2"}, true);
    addField(grid, 3, "feuPrzesMdzyWierszami", {"lPrzesMdzyWierszami1", "lPrzesMdzyWierszami2"}, true);
    addField(grid, 4, "feuOdlMdzyEl_i_laczPionowym", {"lOdlMdzyEl_i_laczPionowym"}, true);
    addField(grid, 5, "feuOdlMdzyEl_i_laczPoziomym", {"lOdlMdzyEl_i_laczPoziomym"}, true);
    grid->addWidget(label("lSzerCalegoProj"), 6, 0);
    grid->addWidget(Panel(this, "pCalySzer"), 6, 1);
    grid->addWidget(label("lJm7"), 6, 2);
    grid->addWidget(label("lWysCalegoProj"), 7, 0);
    grid->addWidget(Panel(this, "pCalyWys"), 7, 1);
    grid->addWidget(label("lJm8"), 7, 2);
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);

    auto button = [this](const char *name) {
        auto *created = new QPushButton(this);
        created->setObjectName(QString::fromLatin1(name));
        created->setAutoDefault(false);
        return created;
    };
    QPushButton *defaults = button("btnParDomyslne");
    QPushButton *generate = button("btnZatwierdz");
    QPushButton *cancel = button("btnAnuluj");
    layout->addLayout(DialogButtonRow(*this, generate, cancel, {defaults}));
    connect(defaults, &QPushButton::clicked, this, &TfParDup::btnParDomyslneClick);
    connect(generate, &QPushButton::clicked, this, &TfParDup::btnZatwierdzClick);

    Translate();
    TntFormActivate();
}

NumericEdit *TfParDup::addField(QGridLayout *grid, int row, const char *name,
                                std::initializer_list<const char *> labels, bool length)
{
    NumericEdit *edit = length ? static_cast<NumericEdit *>(new TFltEditU(this))
                               : static_cast<NumericEdit *>(new TFltEdit(this));
    edit->setObjectName(QString::fromLatin1(name));
    if (length) {
        edit->setRange(-99999, 99999);
        edit->setDisplayFormat({NumericInput::FloatFormat::Fixed, 8, 1});
        edit->setDigitsPerUnit(1, 2, 3);
    } else {
        edit->setRange(0, 9999);
    }
    auto *names = new QVBoxLayout;
    names->setSpacing(0);
    std::vector<QLabel *> &fieldLabels = m_fieldLabels[edit];
    for (const char *labelName : labels) {
        auto *created = new QLabel(this);
        created->setObjectName(QString::fromLatin1(labelName));
        created->setBuddy(edit);
        names->addWidget(created);
        fieldLabels.push_back(created);
    }
    grid->addLayout(names, row, 0);
    grid->addWidget(edit, row, 1);
    if (length) {
        auto *unit = new QLabel(this);
        unit->setObjectName(QStringLiteral("lJm%1").arg(row + 1));
        grid->addWidget(unit, row, 2);
    }
    edit->installEventFilter(this);
    connect(edit, &NumericEdit::valueEdited, this, &TfParDup::ShowTotals);
    return edit;
}

void TfParDup::Translate()
{
    setWindowTitle(Text(QStringLiteral("fParDup.caption")));
    findChild<QGroupBox *>(QStringLiteral("gbWzorzec"))->setTitle(Text(QStringLiteral("gbWzorzec.Caption")));
    for (const char *name :
         {"lPlik", "lWymiary", "lSzerokosc", "lWysokosc", "lIloscElemWWierszu", "lIloscWierszy",
          "lPrzesuniecieMdzyElem1", "lPrzesuniecieMdzyElem2", "lPrzesMdzyWierszami1", "lPrzesMdzyWierszami2",
          "lSzerCalegoProj", "lWysCalegoProj", "lOdlMdzyEl_i_laczPionowym", "lOdlMdzyEl_i_laczPoziomym"}) {
        const QString object = QString::fromLatin1(name);
        findChild<QLabel *>(object)->setText(Text(object + QStringLiteral(".Caption")));
    }
    for (const char *name : {"btnAnuluj", "btnZatwierdz", "btnParDomyslne"}) {
        const QString object = QString::fromLatin1(name);
        findChild<QPushButton *>(object)->setText(Text(object + QStringLiteral(".Caption")));
    }
}

void TfParDup::TntFormActivate()
{
    m_unit = Units::currentLengthUnit();
    SetFormLengthUnit(this);
    for (int i = 1; i <= 8; ++i) {
        if (auto *unit = findChild<QLabel *>(QStringLiteral("lJm%1").arg(i)))
            unit->setText(Units::unitLabel(m_unit));
    }
    m_size = SourceSizeOf(m_source.document());
    auto *file = findChild<QLineEdit *>(QStringLiteral("ePlik"));
    file->setText(m_source.caption());
    file->setToolTip(m_source.caption());
    findChild<QLabel *>(QStringLiteral("pWzorzecSzerokosc"))->setText(SizeText(m_size.widthMm, m_unit));
    findChild<QLabel *>(QStringLiteral("pWzorzecWysokosc"))->setText(SizeText(m_size.heightMm, m_unit));
    m_parameterFile = DuplicationParameterFile(m_source.caption());
    TDuplicationParams params;
    if (LoadDuplicationParameters(m_parameterFile, m_size, params)) {
        setParameters(params);
        ShowTotals();
        field(TDuplicationField::CopiesPerRow)->setFocus();
    } else {
        setParameters(params);
        btnParDomyslneClick();
    }
}

NumericEdit *TfParDup::field(TDuplicationField which) const
{
    for (const FieldInfo &info : Fields) {
        if (info.field == which)
            return findChild<NumericEdit *>(QString::fromLatin1(info.name));
    }
    return nullptr;
}

TDuplicationParams TfParDup::parameters() const
{
    TDuplicationParams params;
    for (const FieldInfo &info : Fields)
        params.*info.value = double(field(info.field)->Value());
    return params;
}

void TfParDup::setParameters(const TDuplicationParams &params)
{
    for (const FieldInfo &info : Fields)
        field(info.field)->setValue(params.*info.value);
}

void TfParDup::ShowTotals()
{
    const TDuplicationParams params = parameters();
    const TDuplicationLayout layout = DuplicationLayout(params);
    findChild<QLabel *>(QStringLiteral("pCalySzer"))
        ->setText(SizeText(layout.columns * params.elementSpacing, m_unit));
    findChild<QLabel *>(QStringLiteral("pCalyWys"))
        ->setText(SizeText(layout.rows * params.rowSpacing, m_unit));
}

void TfParDup::btnParDomyslneClick()
{
    TDuplicationParams params = parameters();
    SetDefaults(params, m_size);
    setParameters(params);
    ShowTotals();
    field(TDuplicationField::CopiesPerRow)->setFocus();
}

void TfParDup::btnZatwierdzClick()
{
    // Enter may come while a field still holds what was typed.
    for (NumericEdit *edit : findChildren<NumericEdit *>())
        edit->commitText();
    const TDuplicationParams params = parameters();
    const TDuplicationField failed = CheckDuplicationParameters(params, m_source.document(), m_unit);
    if (failed != TDuplicationField::None) {
        field(failed)->setFocus();
        return;
    }
    // The parameters are a convenience for the next time: a drawing in a
    // folder that cannot be written to is still duplicated.
    const ConfigFiles::FileResult saved = SaveDuplicationParameters(m_parameterFile, params);
    if (!saved.ok)
        ShowMsg(FileWriteFailedText(m_parameterFile, saved.error), true);
    m_generated = m_host.CreateGeneratedProject(m_parameterFile, m_source.document().ReaderKind,
                                                BuildCopies(m_source.document(), DuplicationLayout(params)));
    accept();
}

bool TfParDup::eventFilter(QObject *watched, QEvent *event)
{
    // The label of the field being edited turns bold.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const auto found = m_fieldLabels.find(watched);
        if (found != m_fieldLabels.end()) {
            for (QLabel *label : found->second)
                SetBold(label, event->type() == QEvent::FocusIn);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowDuplicationDialog(TMDIChild &source, TProjectWindowHost &host, QWidget *parent)
{
    const TProjectDocument &document = source.document();
    if (!source.planned() || document.RootFigure < 0
        || document.RootFigure >= static_cast<std::int32_t>(document.Figures.size())) {
        ShowMsg(GetText(QStringLiteral("Main_window"), QStringLiteral("projektNiezaplanowany")), true);
        return;
    }
    TfParDup dialog(source, host, parent);
    dialog.exec();
}
