#include "job/ui/dialogfields.h"

#include "app/language.h"
#include "app/ui/numericedit.h"
#include "app/ui/widgetroutines.h"
#include "app/units.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace job {

NumericEdit *NewLengthField(QWidget *parent, const char *name, int unit, double min, double max, double value)
{
    auto *field = new TFltEditU(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setDigitsPerUnit(2, 2, 2);
    field->setDisplayFormat({NumericInput::FloatFormat::Fixed, 15, 2});
    field->setUnit(unit);
    field->setRange(min, max);
    // One step: 100 mm, one inch, or a tenth of a foot.
    field->setIncrement(unit == Units::Inch ? 25.4 : unit == Units::Foot ? 30.48 : 100.0);
    field->setValue(value);
    return field;
}

QPushButton *NewButton(QWidget *parent, const char *name, const QString &section, const char *key)
{
    auto *button = new QPushButton(Text(section, key), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QHBoxLayout *StartCancelButtons(QDialog &dialog, std::function<void()> confirm)
{
    QPushButton *start = NewButton(&dialog, "btnDalej", QStringLiteral("Main_window"), "Start1.Caption");
    QPushButton *cancel = NewButton(&dialog, "btnAnuluj", QStringLiteral("Base_points"), "anuluj.Caption");
    QObject::connect(start, &QPushButton::clicked, &dialog, std::move(confirm));
    return DialogButtonRow(dialog, start, cancel);
}

QString Text(const QString &section, const char *key)
{
    return GetText(section, QString::fromLatin1(key));
}

} // namespace job
