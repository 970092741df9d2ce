#include "machine/ui/basepointsform.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"
#include "machine/machineservices.h"
#include "machine/ui/machinehost.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("Base_points");

QPushButton *button(const char *name, QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

TPunkty_bazoweForm::TPunkty_bazoweForm(MachineServices *services, TPunkty_bazowe logic, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_logic(std::move(logic))
{
    setObjectName(QStringLiteral("Punkty_bazowe"));
    m_lista = new QListWidget(this);
    m_lista->setObjectName(QStringLiteral("lista"));
    // The lines are padded columns: a fixed-width font keeps them aligned.
    m_lista->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_lista->setMinimumSize(340, 220);
    m_dodaj = button("Dodaj", this);
    m_usun = button("usun", this);
    m_ustaw = button("ustaw", this);
    m_anuluj = button("anuluj", this);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_dodaj, m_usun, m_ustaw})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_anuluj);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_lista, 1);
    layout->addLayout(buttons);

    // A row made current by mouse or keys is the selected point.
    connect(m_lista, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_refreshing || row < 0)
            return;
        m_logic.listaClick(row);
        refresh();
    });
    connect(m_lista, &QListWidget::itemDoubleClicked, this, [this] {
        m_logic.listaClick(m_lista->currentRow());
        ustawClick();
    });
    connect(m_dodaj, &QPushButton::clicked, this, &TPunkty_bazoweForm::DodajClick);
    connect(m_usun, &QPushButton::clicked, this, &TPunkty_bazoweForm::usunClick);
    connect(m_ustaw, &QPushButton::clicked, this, &TPunkty_bazoweForm::ustawClick);
    connect(m_anuluj, &QPushButton::clicked, this, &QDialog::reject);
    if (m_services)
        connect(m_services, &MachineServices::basePointPosition, this, &TPunkty_bazoweForm::positionRead);

    Translate();
    refresh();
    report(m_logic.loadMessage());
}

void TPunkty_bazoweForm::Translate()
{
    setWindowTitle(GetText(kSection, QStringLiteral("caption")));
    m_anuluj->setText(GetText(kSection, QStringLiteral("anuluj.Caption")));
    m_ustaw->setText(GetText(kSection, QStringLiteral("ustaw.Caption")));
    m_dodaj->setText(GetText(kSection, QStringLiteral("Dodaj.Caption")));
    m_usun->setText(GetText(kSection, QStringLiteral("usun.Caption")));
}

void TPunkty_bazoweForm::refresh()
{
    m_refreshing = true;
    m_lista->clear();
    // A line of the file may be megabytes long (written by something else):
    // the list shows its start, as a message quotes file text, so that it
    // opens at once; the file keeps the line whole.
    QStringList shown;
    shown.reserve(m_logic.lines().size());
    for (const QString &line : m_logic.lines())
        shown.append(QuotedExcerpt(line));
    m_lista->addItems(shown);
    m_lista->setCurrentRow(m_logic.selected());
    m_refreshing = false;
    m_usun->setEnabled(m_logic.actionsEnabled());
    m_ustaw->setEnabled(m_logic.actionsEnabled());
}

void TPunkty_bazoweForm::report(const std::optional<MachineMessage> &message)
{
    if (message)
        ShowMsg(TMachineHost::messageText(*message), true);
}

void TPunkty_bazoweForm::DodajClick()
{
    if (!m_services) {
        ShowMsg(GetText(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci")), true);
        return;
    }
    if (m_reading)
        return;
    // Asked for, not waited for: the machine's thread may be homing.
    m_reading = true;
    m_dodaj->setEnabled(false);
    QMetaObject::invokeMethod(m_services, "readBasePointPosition", Qt::QueuedConnection);
}

void TPunkty_bazoweForm::positionRead(bool ok, int x1, int y1)
{
    if (!m_reading)
        return;
    m_reading = false;
    m_dodaj->setEnabled(true);
    if (!ok) {
        ShowMsg(GetText(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci")), true);
        return;
    }
    report(m_logic.DodajClick(x1, y1));
    refresh();
}

void TPunkty_bazoweForm::usunClick()
{
    report(m_logic.usunClick());
    refresh();
}

void TPunkty_bazoweForm::ustawClick()
{
    const TPunkty_bazowe::Target target = m_logic.ustawClick();
    report(target.message);
    if (!target.point)
        return;
    if (m_services)
        QMetaObject::invokeMethod(m_services, "goToBasePoint", Qt::QueuedConnection,
                                  Q_ARG(double, target.point->x), Q_ARG(double, target.point->y));
    accept();
}
