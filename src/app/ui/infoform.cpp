#include "app/ui/infoform.h"

#include "app/language.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Caption and value label of each row, top to bottom.
const char *const rows[][2] = {
    {"Labelfile", "fname"},   {"Labelkonf", "konfigname"},           {"Labelszer", "szerokosc"},
    {"Labelwys", "wysokosc"}, {"lRamkaSzerokosc", "ramkaSzerokosc"}, {"lRamkaWysokosc", "ramkaWysokosc"},
    {"Labeldlug", "totlen"},  {"Labeltime", "total_time"},
};

} // namespace

Tinfoform::Tinfoform(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("infoform"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    int line = 0;
    for (const auto &row : rows) {
        for (int column = 0; column < 2; ++column) {
            auto *text = new QLabel(this);
            text->setObjectName(QString::fromLatin1(row[column]));
            grid->addWidget(text, line, column);
        }
        label(row[1])->setTextInteractionFlags(Qt::TextSelectableByMouse);
        ++line;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(473, 209);
    FormCreate();
}

QLabel *Tinfoform::label(const char *name) const
{
    return findChild<QLabel *>(QString::fromLatin1(name));
}

QString Tinfoform::valueText(const char *name) const
{
    return label(name)->text();
}

void Tinfoform::FormCreate()
{
    const tInterfejs &language = tInterfejs::instance();
    if (language.rightToLeft())
        setLayoutDirection(Qt::RightToLeft);
    setWindowTitle(language.GetText(QStringLiteral("Main_window"), QStringLiteral("info.Caption"))
                       .remove(QLatin1Char('&')));
    for (const auto &[caption, value] : rows)
        label(caption)->setText(language.GetText(QStringLiteral("Info"),
                                                 QString::fromLatin1(caption) + QStringLiteral(".caption")));
}

void Tinfoform::showValues(const TJobInfoProject &project, const QString &configurationCaption,
                           const TJobInfoSettings &settings)
{
    const TJobInfoValues values = JobInfoValues(project, configurationCaption, settings);
    const std::pair<const char *, const QString *> fields[] = {
        {"fname", &values.fname},
        {"konfigname", &values.konfigname},
        {"szerokosc", &values.szerokosc},
        {"wysokosc", &values.wysokosc},
        {"ramkaSzerokosc", &values.ramkaSzerokosc},
        {"ramkaWysokosc", &values.ramkaWysokosc},
    };
    for (const auto &[name, value] : fields)
        label(name)->setText(*value);
    if (values.totlen)
        label("totlen")->setText(*values.totlen);
    if (values.total_time)
        label("total_time")->setText(*values.total_time);
}

void Tinfoform::showModal(const TJobInfoProject &project, const QString &configurationCaption,
                          const TJobInfoSettings &settings)
{
    showValues(project, configurationCaption, settings);
    exec();
}
