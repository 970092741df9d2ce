#include "app/aboutbox.h"

#include "app/common.h"
#include "app/language.h"
#include "app/machinefamily.h"
#include "app/units.h"

#include <QFileInfo>

namespace {

QString AboutText(const char *key)
{
    return GetText(QStringLiteral("About"), QString::fromLatin1(key));
}

} // namespace

TAboutLayout AboutLayout(const QString &dealerCode, const QString &programDir, const DeploymentLinks &links)
{
    TAboutLayout layout;
    if (IsOwnBrand(dealerCode))
        layout.link = links.makerWeb;
    else if (dealerCode == QLatin1String("SOLMAR"))
        layout.link = links.solmarWeb;
    layout.showProducer = IsOwnBrand(dealerCode);
    if (!dealerCode.isEmpty()) {
        const QString logo = programDir + QLatin1Char('/') + dealerCode + QStringLiteral(".bmp");
        if (QFileInfo(logo).isFile())
            layout.logoPath = logo;
    }
    return layout;
}

QString WorkAreaText(double xMm, double yMm, int unit)
{
    return FixedText(static_cast<double>(Units::MmToUnit(unit, xMm)), 1) + QLatin1Char('x')
        + Units::lengthText(yMm, unit, 1);
}

TAboutValues AboutValues(const TMachineReport &machine, int unit, const QString &executableDate)
{
    TAboutValues values;
    values.version = VersionString(true, true);
    values.date = executableDate;
    if (!machine.connected) {
        const QString none = AboutText("brakDanych");
        for (QString *field : {&values.producer, &values.model, &values.area, &values.width,
                               &values.workingTime, &values.jobs, &values.firmware})
            *field = none;
        return values;
    }
    values.producer = machine.manufacturer;
    values.model = machine.machineName;
    values.area = WorkAreaText(machine.limitX, machine.limitY, unit);
    const QString &family = machine.family;
    if (IsFamily(family, QLatin1String("VQ")) || IsFamily(family, QLatin1String("GZ"))
        || IsFamily(family, QLatin1String("ZF"))) {
        values.width = Units::lengthText(machine.fcWidth, unit, UnitDecimals(unit));
    } else if (IsFamily(family, QLatin1String("BN"))) {
        values.widthRow = TAboutWidthRow::ZTravel;
        values.width = Units::lengthText(machine.limitZ, unit, UnitDecimals(unit));
    } else {
        values.widthRow = TAboutWidthRow::Hidden;
    }
    values.workingTime = QString::number(machine.workingTime / 60) + AboutText("godz")
        + QString::number(machine.workingTime % 60) + QStringLiteral(" min.");
    values.jobs = QString::number(machine.jobCount);
    values.firmware
        = QString::number(machine.firmwareMajor) + QLatin1Char('.') + QString::number(machine.firmwareMinor);
    return values;
}
