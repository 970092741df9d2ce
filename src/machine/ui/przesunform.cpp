#include "machine/ui/przesunform.h"

#include "app/language.h"
#include "app/ui/numericedit.h"
#include "app/units.h"
#include "machine/machineservices.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("Move_wire");

NumericEdit *field(NumericEdit *edit, const char *name, long double range)
{
    edit->setObjectName(QLatin1String(name));
    edit->setRange(-range, range);
    edit->setDisplayFormat({NumericInput::FloatFormat::Fixed, 15, 3});
    edit->setValue(0);
    edit->setMinimumWidth(120);
    return edit;
}

} // namespace

TprzesunForm::TprzesunForm(MachineServices *services, QString frontCaption, QString backCaption,
                           QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_frontCaption(std::move(frontCaption))
    , m_backCaption(std::move(backCaption))
{
    setObjectName(QStringLiteral("przesun"));
    m_przesun = new QGroupBox(this);
    m_przesun->setObjectName(QStringLiteral("Przesun"));
    m_absolute = new QRadioButton(m_przesun);
    m_relative = new QRadioButton(m_przesun);
    m_relative->setChecked(true);
    auto *modes = new QVBoxLayout(m_przesun);
    modes->addWidget(m_absolute);
    modes->addWidget(m_relative);

    // Lengths in mm, shown in the display unit; far beyond any travel.
    m_dx = field(new TFltEditU(this), "delta_x", 100000);
    m_dy = field(new TFltEditU(this), "delta_y", 100000);
    m_dz = field(new TFltEditU(this), "delta_z", 100000);
    m_angle = field(new TFltEdit(this), "delta_kat", 36000);
    m_angleLabel = new QLabel(this);
    m_angleLabel->setObjectName(QStringLiteral("lKatObrotu"));

    auto *fields = new QGridLayout;
    const char *axes[] = {"X", "Y", "Z"};
    NumericEdit *lengths[] = {m_dx, m_dy, m_dz};
    for (int row = 0; row < 3; ++row) {
        fields->addWidget(new QLabel(QLatin1String(axes[row]), this), row, 0);
        fields->addWidget(lengths[row], row, 1);
        auto *unit = new QLabel(this);
        m_unitLabels.append(unit);
        fields->addWidget(unit, row, 2);
    }
    fields->addWidget(m_angleLabel, 3, 0);
    fields->addWidget(m_angle, 3, 1);

    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    m_wykonaj = button("Wykonaj");
    m_cancel = button("cancel");
    m_test = button("test");
    m_testGrzalki = button("TestGrzalki");
    m_wykonaj->setDefault(true);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_wykonaj, m_test, m_testGrzalki})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_cancel);

    auto *left = new QVBoxLayout;
    left->addWidget(m_przesun);
    left->addLayout(fields);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(m_wykonaj, &QPushButton::clicked, this, &TprzesunForm::WykonajClick);
    connect(m_cancel, &QPushButton::clicked, this, &TprzesunForm::reject);
    connect(m_test, &QPushButton::clicked, this, &TprzesunForm::testClick);
    connect(m_testGrzalki, &QPushButton::clicked, this, &TprzesunForm::TestGrzalkiClick);
    if (m_services) {
        connect(m_services, &MachineServices::testFinished, this, &TprzesunForm::testFinished);
        connect(m_services, &MachineServices::motionTestCaption, this, [this](int reads, int writes) {
            m_test->setText(QString::number(reads) + QLatin1Char('/') + QString::number(writes));
        });
    }
    Translate();
}

TprzesunForm::~TprzesunForm()
{
    if (m_testRunning) {
        qApp->removeEventFilter(this);
        if (m_services)
            m_services->requestStop();
    }
}

void TprzesunForm::Translate()
{
    m_przesun->setTitle(GetText(kSection, QStringLiteral("przesun.caption")));
    m_absolute->setText(GetText(kSection, QStringLiteral("przesun.Item0")));
    m_relative->setText(GetText(kSection, QStringLiteral("przesun.Item1")));
    m_wykonaj->setText(GetText(kSection, QStringLiteral("wykonaj.caption")));
    m_cancel->setText(GetText(kSection, QStringLiteral("cancel.caption")));
    m_test->setText(GetText(kSection, QStringLiteral("test.caption")));
    m_testGrzalki->setText(GetText(kSection, QStringLiteral("TestGrzalki.caption")));
    m_angleLabel->setText(GetText(kSection, QStringLiteral("lKatObrotu.caption")));
}

void TprzesunForm::showEvent(QShowEvent *event)
{
    // The caption names the arms the panel has selected.
    QStringList arms;
    if (m_armFront)
        arms << m_frontCaption;
    if (m_armBack)
        arms << m_backCaption;
    setWindowTitle(GetText(kSection, QStringLiteral("caption")) + QStringLiteral(" - ")
                   + arms.join(QStringLiteral(", ")));
    SetFormLengthUnit(this);
    const QString unit = Units::unitLabel(Units::currentLengthUnit());
    for (QLabel *label : m_unitLabels)
        label->setText(unit);
    QDialog::showEvent(event);
}

void TprzesunForm::WykonajClick()
{
    if (!m_services || m_testRunning)
        return;
    for (NumericEdit *edit : {m_dx, m_dy, m_dz, m_angle})
        edit->commitText();
    QMetaObject::invokeMethod(
        m_services, "moveWire", Qt::QueuedConnection, Q_ARG(int, m_absolute->isChecked() ? 0 : 1),
        Q_ARG(double, static_cast<double>(m_dx->Value())), Q_ARG(double, static_cast<double>(m_dy->Value())),
        Q_ARG(double, static_cast<double>(m_dz->Value())),
        Q_ARG(double, static_cast<double>(m_angle->Value())));
}

void TprzesunForm::setControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *> {m_przesun, m_dx, m_dy, m_dz, m_angle, m_wykonaj,
                                                        m_cancel, m_test, m_testGrzalki})
        w->setEnabled(enabled);
}

void TprzesunForm::startTest(const char *slot)
{
    if (!m_services || m_testRunning)
        return;
    for (NumericEdit *edit : {m_dx, m_dy, m_angle})
        edit->commitText();
    // Cleared before the loop is queued, so a key pressed at once still
    // counts.
    m_services->clearStop();
    m_testRunning = true;
    setControlsEnabled(false);
    qApp->installEventFilter(this);
    if (qstrcmp(slot, "runMotionTest") == 0)
        QMetaObject::invokeMethod(m_services, slot, Qt::QueuedConnection,
                                  Q_ARG(double, static_cast<double>(m_dx->Value())),
                                  Q_ARG(double, static_cast<double>(m_dy->Value())),
                                  Q_ARG(double, static_cast<double>(m_angle->Value())));
    else
        QMetaObject::invokeMethod(m_services, slot, Qt::QueuedConnection);
}

void TprzesunForm::testClick()
{
    startTest("runMotionTest");
}

void TprzesunForm::TestGrzalkiClick()
{
    startTest("runHeaterTest");
}

void TprzesunForm::testFinished()
{
    if (!m_testRunning)
        return;
    qApp->removeEventFilter(this);
    m_testRunning = false;
    setControlsEnabled(true);
}

void TprzesunForm::reject()
{
    // The dialog stays while a loop runs: its end is a key press or click.
    if (!m_testRunning)
        QDialog::reject();
}

bool TprzesunForm::eventFilter(QObject *watched, QEvent *event)
{
    if (m_testRunning) {
        const bool key = event->type() == QEvent::KeyPress;
        const bool click = event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        if (key || click) {
            m_services->requestStop();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
