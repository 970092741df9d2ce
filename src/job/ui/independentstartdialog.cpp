#include "job/ui/independentstartdialog.h"

#include "app/ui/numericedit.h"
#include "app/units.h"
#include "job/jobadapters.h"
#include "job/ui/dialogfields.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace job {
namespace {
const QString kSection = QStringLiteral("Independent_start_dialog");
// Far beyond any machine, so the spacing field never cuts a real value.
constexpr double kLargestSpacing = 100000;
} // namespace

IndependentStartDialog::IndependentStartDialog(IndependentStartContext context, QWidget *parent)
    : QDialog(parent)
    , m_form(std::move(context))
{
    setObjectName(QStringLiteral("fFigNaMat"));
    setWindowTitle(Text(kSection, "fFigNaMat.caption"));
    const IndependentStartContext &c = m_form.context();
    const IndependentInputs initial = m_form.initialInputs();
    const int unit = c.lengthUnit;

    auto *grid = new QGridLayout;
    auto addRow = [&](int row, const char *label, const char *unitLabel, NumericEdit *field) {
        auto *text = new QLabel(Text(kSection, label), this);
        text->setObjectName(QString::fromLatin1(label).section(QLatin1Char('.'), 0, 0));
        text->setBuddy(field);
        auto *units = new QLabel(Units::unitLabel(unit), this);
        units->setObjectName(QString::fromLatin1(unitLabel));
        grid->addWidget(text, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(units, row, 2);
    };
    m_spacing = NewLengthField(this, "feuRozstawRamion", unit, 0, kLargestSpacing, initial.armSpacing);
    m_spacing->setEnabled(c.armSpacingEditable);
    m_width = NewLengthField(this, "feuSzerMat", unit, 0, m_form.materialMaximum(), initial.materialWidth);
    // A distance below 0 would put the material behind the front carriage.
    m_distance
        = NewLengthField(this, "feuOdlMatOdFrontu", unit, 0, m_form.materialMaximum(), initial.frontDistance);
    addRow(0, "lSzerPlotera.caption", "lSzerPloteraJm", m_spacing);
    addRow(1, "lSzerMat.caption", "lSzerMatJm", m_width);
    addRow(2, "lOdlMatOdFrontu.caption", "lOdlMatOdFrontuJm", m_distance);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(StartCancelButtons(*this, [this] { confirm(); }));

    m_timer.setSingleShot(true);
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &IndependentStartDialog::confirm);
}

void IndependentStartDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A repeated job confirms itself with the remembered material.
    if (m_form.context().confirmItself)
        m_timer.start();
}

IndependentInputs IndependentStartDialog::inputs() const
{
    for (NumericEdit *field : {m_spacing, m_width, m_distance})
        field->commitText();
    return {static_cast<double>(m_spacing->Value()), static_cast<double>(m_width->Value()),
            static_cast<double>(m_distance->Value())};
}

void IndependentStartDialog::confirm()
{
    const IndependentStartForm::Outcome outcome = m_form.confirm(inputs());
    switch (outcome.step) {
    case IndependentStartForm::Step::Stay:
        ShowJobMessage(outcome.message);
        return;
    case IndependentStartForm::Step::AskMove:
        if (!AskYesCancel(outcome.message))
            return;
        m_form.acceptMove();
        accept();
        return;
    case IndependentStartForm::Step::Close:
        accept();
        return;
    }
}

} // namespace job
