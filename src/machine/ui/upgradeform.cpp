#include "machine/ui/upgradeform.h"

#include "app/language.h"
#include "app/messages.h"
#include "machine/machineservices.h"

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("Upgrade_firmware");
const char *const kStepKeys[] = {"Kasowanie", "Zapis", "Weryfikacja"};

struct ServiceButton
{
    const char *name;
    UpgradeOperation operation;
};
const ServiceButton kServiceButtons[] = {
    {"ReadProgram", UpgradeOperation::Read},      {"EraseProgram", UpgradeOperation::Erase},
    {"WrtieProgram", UpgradeOperation::Write},    {"VerifyProgram", UpgradeOperation::Verify},
    {"GetVersion", UpgradeOperation::GetVersion}, {"ButtonReset", UpgradeOperation::Reset},
};

QLabel *label(const char *name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TUpgradeProgramForm::TUpgradeProgramForm(MachineServices *services, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("UpgradeProgramForm"));
    m_actualLabel = label("lActualDeviceVer", this);
    m_actual = label("ActualDeviceVer", this);
    m_newLabel = label("lNewVerFromFile", this);
    m_new = label("NewVerFromFile", this);
    auto *versions = new QGridLayout;
    versions->addWidget(m_actualLabel, 0, 0);
    versions->addWidget(m_actual, 0, 1);
    versions->addWidget(m_newLabel, 1, 0);
    versions->addWidget(m_new, 1, 1);
    versions->setColumnStretch(1, 1);

    m_client = new QFrame(this);
    m_client->setObjectName(QStringLiteral("pKlienta"));
    m_buttonUpgrade = new QPushButton(m_client);
    m_buttonUpgrade->setObjectName(QStringLiteral("ButtonUpgrade"));
    m_buttonUpgrade->setEnabled(false);
    auto *client = new QHBoxLayout(m_client);
    client->setContentsMargins(0, 0, 0, 0);
    client->addWidget(m_buttonUpgrade);
    client->addStretch();

    m_service = new QFrame(this);
    m_service->setObjectName(QStringLiteral("pSerwisowy"));
    auto *service = new QGridLayout(m_service);
    service->setContentsMargins(0, 0, 0, 0);
    int index = 0;
    for (const ServiceButton &s : kServiceButtons) {
        auto *b = new QPushButton(m_service);
        b->setObjectName(QLatin1String(s.name));
        m_serviceButtons.append(b);
        service->addWidget(b, index / 3, index % 3);
        ++index;
        const UpgradeOperation operation = s.operation;
        if (operation == UpgradeOperation::Read)
            connect(b, &QPushButton::clicked, this, &TUpgradeProgramForm::ReadProgramClick);
        else
            connect(b, &QPushButton::clicked, this, [this, operation] { run(operation); });
    }
    m_service->hide();

    m_status = label("pStatus", this);
    m_status->setFrameShape(QFrame::Panel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setWordWrap(true);
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("Gauge"));
    m_gauge->setRange(0, 100);
    m_steps = new QListWidget(this);
    m_steps->setObjectName(QStringLiteral("clbOperacja"));
    m_steps->setFocusPolicy(Qt::NoFocus);
    m_steps->setSelectionMode(QAbstractItemView::NoSelection);
    for (int i = 0; i < 3; ++i) {
        auto *item = new QListWidgetItem(m_steps);
        item->setFlags(Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    m_steps->setFixedHeight(m_steps->sizeHintForRow(0) * 3 + 2 * m_steps->frameWidth() + 4);
    m_verify = label("pVerify", this);
    m_verify->setFrameShape(QFrame::Panel);
    m_verify->setFrameShadow(QFrame::Sunken);
    // Empty panels keep the height of a line of text.
    for (QLabel *panel : {m_status, m_verify})
        panel->setMinimumHeight(panel->fontMetrics().height() + 8);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(versions);
    layout->addWidget(m_client);
    layout->addWidget(m_service);
    layout->addWidget(m_steps);
    layout->addWidget(m_gauge);
    layout->addWidget(m_status);
    layout->addWidget(m_verify);
    setMinimumWidth(420);

    connect(m_buttonUpgrade, &QPushButton::clicked, this, &TUpgradeProgramForm::ButtonUpgradeClick);
    if (m_services) {
        connect(m_services, &MachineServices::upgradeViewChanged, this, &TUpgradeProgramForm::showView);
        connect(m_services, &MachineServices::upgradeFinished, this, &TUpgradeProgramForm::finished);
    }
    Translate();
}

void TUpgradeProgramForm::Translate()
{
    setWindowTitle(GetText(kSection, QStringLiteral("caption")));
    m_actualLabel->setText(GetText(kSection, QStringLiteral("biezacaWerSter")));
    m_newLabel->setText(GetText(kSection, QStringLiteral("aktualizacjaDoWer")));
    m_buttonUpgrade->setText(GetText(kSection, QStringLiteral("ButtonUpgrade.caption")));
    for (int i = 0; i < 3; ++i)
        m_steps->item(i)->setText(GetText(kSection, QLatin1String(kStepKeys[i])));
    for (QPushButton *b : m_serviceButtons)
        b->setText(GetText(kSection, b->objectName() + QStringLiteral(".caption")));
}

bool TUpgradeProgramForm::serviceVisible() const
{
    return !m_service->isHidden();
}

void TUpgradeProgramForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_services)
        QMetaObject::invokeMethod(m_services, &MachineServices::activateUpgrade, Qt::QueuedConnection);
}

void TUpgradeProgramForm::showView(const UpgradeView &view)
{
    m_view = view;
    m_actual->setText(view.controllerVersion);
    m_new->setText(view.fileVersion.isEmpty() ? GetText(kSection, QStringLiteral("brakPliku"))
                                              : view.fileVersion);
    m_new->setToolTip(view.romPath);
    m_buttonUpgrade->setEnabled(view.upgradeEnabled && !view.busy);
    for (QPushButton *b : m_serviceButtons)
        b->setEnabled(!view.busy);
    // Between operations the status tells of a controller whose last
    // upgrade did not finish.
    if (view.busy)
        m_status->setText(GetText(kSection, QStringLiteral("TrwaAktualizacja"))
                          + (view.operationKey.isEmpty()
                                 ? QString()
                                 : QLatin1Char(' ') + GetText(kSection, view.operationKey)));
    else
        m_status->setText(view.incomplete ? GetText(kSection, QStringLiteral("aktualizacjaNieukonczona"))
                                          : QString());
    m_gauge->setValue(view.progress);
    for (int i = 0; i < 3; ++i)
        m_steps->item(i)->setCheckState(view.steps[static_cast<std::size_t>(i)] ? Qt::Checked
                                                                                : Qt::Unchecked);
    m_verify->setText(view.resultKey.isEmpty() ? QString() : GetText(kSection, view.resultKey));
    setCursor(view.busy ? Qt::WaitCursor : Qt::ArrowCursor);
    // The notice wraps over several lines in some languages: the open
    // window grows to show it whole.
    if (const int needed = heightForWidth(width()); needed > height())
        resize(width(), needed);
}

void TUpgradeProgramForm::run(UpgradeOperation operation)
{
    if (!m_services || m_view.busy)
        return;
    // Shown at once; the logic's own view follows.
    m_view.busy = true;
    m_buttonUpgrade->setEnabled(false);
    for (QPushButton *b : m_serviceButtons)
        b->setEnabled(false);
    QMetaObject::invokeMethod(m_services, "runUpgrade", Qt::QueuedConnection,
                              Q_ARG(int, static_cast<int>(operation)));
}

void TUpgradeProgramForm::ButtonUpgradeClick()
{
    if (m_view.askDowngrade
        && ConfirmDlg(GetText(kSection, QStringLiteral("downgrade")), DlgButton::Yes | DlgButton::No)
            != DlgButton::Yes)
        return;
    run(UpgradeOperation::Upgrade);
}

void TUpgradeProgramForm::ReadProgramClick()
{
    if (QFile::exists(m_view.romPath)
        && ConfirmDlg(GetText(kSection, QStringLiteral("zastapicPlik")) + QLatin1Char(' ') + m_view.romPath,
                      DlgButton::Yes | DlgButton::No)
            != DlgButton::Yes)
        return;
    run(UpgradeOperation::Read);
}

void TUpgradeProgramForm::finished(int operation, bool success)
{
    m_view.busy = false;
    if (operation != static_cast<int>(UpgradeOperation::Upgrade) || !success)
        return;
    ShowMsg(GetText(kSection, QStringLiteral("aktualizacjaOK1")) + QStringLiteral("\n\n")
                + GetText(kSection, QStringLiteral("aktualizacjaOK2")) + QLatin1Char('\n')
                + GetText(kSection, QStringLiteral("aktualizacjaOK3")),
            false);
    accept();
}

void TUpgradeProgramForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F12
        && event->modifiers() == (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        m_service->setVisible(m_service->isHidden());
        return;
    }
    QDialog::keyPressEvent(event); // Esc rejects
}

void TUpgradeProgramForm::reject()
{
    // Never while the controller's program is being written.
    if (!m_view.busy)
        QDialog::reject();
}

void TUpgradeProgramForm::closeEvent(QCloseEvent *event)
{
    if (m_view.busy)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
