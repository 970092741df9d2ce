#include "job/ui/perpendicularstartdialog.h"

#include "app/common.h"
#include "app/ui/numericedit.h"
#include "app/ui/widgetroutines.h"
#include "app/units.h"
#include "job/jobadapters.h"
#include "job/perpendicularstart.h"
#include "job/ui/dialogfields.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace job {
namespace {

const QString kSection = QStringLiteral("Perpendicular_start_dialog");

// A work-area limit in the display unit with two decimals, sunken like a
// read-only panel.
QLabel *limitPanel(QWidget *parent, const char *name, std::int32_t limitMm, int unit)
{
    QLabel *panel = NewValuePanel(parent, name);
    panel->setText(FixedText(static_cast<double>(Units::MmToUnit(unit, limitMm)), 2));
    return panel;
}

} // namespace

PerpendicularStartDialog::PerpendicularStartDialog(PerpendicularStartContext context, QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("fQ7StartDlg"));
    setWindowTitle(Text(kSection, "fQ7StartDlg.Caption"));
    const PerpendicularStartContext &c = m_context;
    const int unit = c.lengthUnit;

    // Each field starts where its wire stands, within its area.
    auto field = [&](const char *name, std::int32_t limit, std::int32_t position) {
        return NewLengthField(this, name, unit, 0, limit, std::clamp(position / 100.0, 0.0, double(limit)));
    };
    m_fx = field("feuFx", c.limitX, c.x1);
    m_fy = field("feuFy", c.limitY, c.y1);
    m_bx = field("feuBx", c.limitZ, c.x2);
    m_by = field("feuBy", c.limitY, c.y2);

    auto group = [&](const char *name, const char *captionKey, NumericEdit *x, NumericEdit *y, QLabel *maxX,
                     QLabel *maxY) {
        auto *box = new QGroupBox(
            Text(QStringLiteral("Control"), captionKey) + QLatin1Char(' ') + Units::unitLabel(unit), this);
        box->setObjectName(QString::fromLatin1(name));
        auto *grid = new QGridLayout(box);
        grid->addWidget(new QLabel(Text(kSection, "lMax.Caption"), box), 0, 2, Qt::AlignRight);
        grid->addWidget(new QLabel(Text(kSection, "lX.Caption"), box), 1, 0);
        grid->addWidget(x, 1, 1);
        grid->addWidget(maxX, 1, 2);
        grid->addWidget(new QLabel(Text(kSection, "lY.Caption"), box), 2, 0);
        grid->addWidget(y, 2, 1);
        grid->addWidget(maxY, 2, 2);
        return box;
    };
    auto *groups = new QHBoxLayout;
    groups->addWidget(group("gbFront", "KeyFront.caption", m_fx, m_fy,
                            limitPanel(this, "pMaxFx", c.limitX, unit),
                            limitPanel(this, "pMaxFy", c.limitY, unit)));
    groups->addWidget(group("gbBack", "Q7KeyBack.caption", m_bx, m_by,
                            limitPanel(this, "pMaxBx", c.limitZ, unit),
                            limitPanel(this, "pMaxBy", c.limitY, unit)));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(StartCancelButtons(*this, [this] { confirm(); }));
}

void PerpendicularStartDialog::confirm()
{
    for (NumericEdit *f : {m_fx, m_fy, m_bx, m_by})
        f->commitText();
    const PerpendicularStart points {static_cast<double>(m_fx->Value()), static_cast<double>(m_fy->Value()),
                                     static_cast<double>(m_bx->Value()), static_cast<double>(m_by->Value())};
    if (const std::optional<PerpendicularRefusal> refusal = CheckPerpendicularStart(points, m_context)) {
        ShowJobMessage(refusal->message);
        (refusal->front ? m_fx : m_bx)->setFocus();
        return;
    }
    m_points = points;
    accept();
}

} // namespace job
