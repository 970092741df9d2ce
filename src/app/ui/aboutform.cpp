#include "app/ui/aboutform.h"

#include "app/language.h"
#include "app/units.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString aboutSection = QStringLiteral("About");

// Caption and value labels of the machine data, top to bottom.
const char *const machineRows[][2] = {
    {"Labelprod", "prod"},           {"Labelmodel", "model"},       {"Labelobszar", "obszar"},
    {"labelSzerokosc", "szerokosc"}, {"Labelprzebieg", "przebieg"}, {"Labelilpl", "ilpl"},
    {"LabelARMwersja", "ARMwersja"},
};

} // namespace

TAboutBox::TAboutBox(std::function<TMachineReport()> machine, QString executableDate, QWidget *parent)
    : QDialog(parent)
    , m_machine(std::move(machine))
    , m_executableDate(std::move(executableDate))
{
    setObjectName(QStringLiteral("AboutBox"));
    auto *layout = new QVBoxLayout(this);

    auto *program = new QWidget(this);
    program->setObjectName(QStringLiteral("Panel1"));
    auto *programGrid = new QGridLayout(program);
    programGrid->addWidget(addLabel(program, "Labelprog"), 0, 0, 1, 2);
    programGrid->addWidget(addLabel(program, "Labelver"), 1, 0);
    programGrid->addWidget(addLabel(program, "newVer"), 1, 1);
    programGrid->addWidget(addLabel(program, "ver"), 2, 1);
    programGrid->setColumnStretch(1, 1);
    layout->addWidget(program);

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->installEventFilter(this);
    auto *grid = new QGridLayout(m_group);
    int row = 0;
    for (const auto &[caption, value] : machineRows) {
        grid->addWidget(addLabel(m_group, caption), row, 0);
        grid->addWidget(addLabel(m_group, value), row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    layout->addWidget(m_group);

    m_logoPanel = new QWidget(this);
    m_logoPanel->setObjectName(QStringLiteral("pLogo"));
    auto *logoLayout = new QHBoxLayout(m_logoPanel);
    m_logo = addLabel(m_logoPanel, "dealer");
    m_logo->setCursor(Qt::PointingHandCursor);
    m_logo->installEventFilter(this);
    logoLayout->addWidget(m_logo, 0, Qt::AlignCenter);
    m_logoPanel->hide();
    layout->addWidget(m_logoPanel);

    auto *linkPanel = new QWidget(this);
    linkPanel->setObjectName(QStringLiteral("pLink"));
    auto *linkLayout = new QHBoxLayout(linkPanel);
    m_linkLabel = addLabel(linkPanel, "lWWW");
    m_linkLabel->setTextFormat(Qt::RichText);
    m_linkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_linkLabel, &QLabel::linkActivated, this, [this] { openLink(); });
    linkLayout->addWidget(m_linkLabel, 0, Qt::AlignCenter);
    layout->addWidget(linkPanel);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel *TAboutBox::addLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel *TAboutBox::valueLabel(const char *name) const
{
    return findChild<QLabel *>(QString::fromLatin1(name));
}

void TAboutBox::FormCreate(const QString &dealerCode, const QString &programDir, const DeploymentLinks &links)
{
    const tInterfejs &language = tInterfejs::instance();
    if (language.rightToLeft())
        setLayoutDirection(Qt::RightToLeft);
    auto text
        = [&language](const char *key) { return language.GetText(aboutSection, QString::fromLatin1(key)); };
    valueLabel("Labelprog")->setText(text("labelprog.caption") + QStringLiteral(" Prentavik"));
    for (const char *name :
         {"Labelver", "Labelprod", "Labelmodel", "Labelobszar", "Labelprzebieg", "Labelilpl"})
        valueLabel(name)->setText(text((QByteArray(name) + ".caption").constData()));
    m_group->setTitle(text("GroupBox1.caption"));
    valueLabel("LabelARMwersja")->setText(QStringLiteral("CPU ver. :"));

    const TAboutLayout about = AboutLayout(dealerCode, programDir, links);
    m_link = about.link;
    m_linkLabel->setText(QStringLiteral("<a href=\"") + m_link.toHtmlEscaped() + QStringLiteral("\">")
                         + m_link.toHtmlEscaped() + QStringLiteral("</a>"));
    m_linkLabel->parentWidget()->setVisible(!m_link.isEmpty());
    m_logo->setToolTip(m_link);
    valueLabel("Labelprod")->setVisible(about.showProducer);
    valueLabel("prod")->setVisible(about.showProducer);
    QPixmap logo;
    if (!about.logoPath.isEmpty() && logo.load(about.logoPath)) {
        m_logo->setPixmap(logo);
        m_logoPanel->show();
    } else {
        m_logoPanel->hide();
    }
}

void TAboutBox::FormActivate()
{
    setWindowTitle(GetText(aboutSection, QStringLiteral("Caption")));
    const TMachineReport machine = m_machine ? m_machine() : TMachineReport();
    const TAboutValues values = AboutValues(machine, Units::currentLengthUnit(), m_executableDate);
    valueLabel("newVer")->setText(values.version);
    valueLabel("ver")->setText(values.date);
    const std::pair<const char *, const QString *> fields[] = {
        {"prod", &values.producer},      {"model", &values.model},          {"obszar", &values.area},
        {"szerokosc", &values.width},    {"przebieg", &values.workingTime}, {"ilpl", &values.jobs},
        {"ARMwersja", &values.firmware},
    };
    for (const auto &[name, value] : fields)
        valueLabel(name)->setText(*value);
    QLabel *widthCaption = valueLabel("labelSzerokosc");
    widthCaption->setText(
        values.widthRow == TAboutWidthRow::ZTravel
            ? QStringLiteral("Z :")
            : GetText(QStringLiteral("Independent_start_dialog"), QStringLiteral("lSzerPlotera.caption")));
    const bool widthShown = values.widthRow != TAboutWidthRow::Hidden;
    widthCaption->setVisible(widthShown);
    valueLabel("szerokosc")->setVisible(widthShown);
}

void TAboutBox::showModal()
{
    FormActivate();
    exec();
}

void TAboutBox::openLink() const
{
    if (!m_link.isEmpty())
        QDesktopServices::openUrl(QUrl::fromUserInput(m_link));
}

void TAboutBox::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
    accept();
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_logo)
            openLink();
        else if (watched == m_group)
            accept();
    }
    return QDialog::eventFilter(watched, event);
}
