#include "app/ui/smallwindows.h"

#include "app/common.h"
#include "app/konfig.h"
#include "app/settings.h"
#include "app/units.h"
#include "machine/machinestate.h"
#include "project/ui/mdichild.h"

#include <QLocale>

TMachineReport MachineReportOf(bool connected, const MachineState &state)
{
    TMachineReport machine;
    machine.connected = connected;
    machine.manufacturer = state.plot.manufacturer;
    machine.machineName = state.plot.machineName;
    machine.family = state.plot.family;
    machine.limitX = state.limitX;
    machine.limitY = state.limitY;
    machine.limitZ = state.limitZ;
    machine.fcWidth = state.fcWidth;
    machine.workingTime = state.plot.workingTime;
    machine.jobCount = state.plot.count;
    machine.firmwareMajor = state.firmwareMajor;
    machine.firmwareMinor = state.firmwareMinor;
    return machine;
}

TJobInfoProject JobInfoProjectOf(const TMDIChild &window)
{
    const TProjectDocument &document = window.document();
    TJobInfoProject project;
    project.caption = window.caption();
    project.CrossWidth = document.CrossWidth;
    project.CrossHeight = document.CrossHeight;
    project.ProjectWidth = document.ProjectWidth;
    project.ProjectHeight = document.ProjectHeight;
    project.PathLength = document.PathLength;
    project.figureCount = static_cast<int>(document.Figures.size());
    return project;
}

TJobInfoSettings CurrentJobInfoSettings()
{
    const Settings &settings = Settings::current();
    return {settings.Mode, settings.skala, settings.ilosckrokow, settings.szybkoscObrobki,
            Units::currentLengthUnit()};
}

TSupportRequest SupportRequestOf(const Konfig &konfig, const std::vector<TMDIChild *> &windows,
                                 bool connected, const MachineState &state)
{
    TSupportRequest request;
    request.softwareVersion = SupportSoftwareVersion(konfig.executableDateText());
    request.operatingSystem = OSName();
    request.attachedFiles << konfig.globalConfig().machineConfigPath;
    for (const TMDIChild *window : windows) {
        const QString file = QString::fromStdString(window->document().FileName);
        if (!file.isEmpty())
            request.attachedFiles << file;
    }
    request.machine = MachineReportOf(connected, state);
    request.unit = Units::currentLengthUnit();
    request.decimalPoint = QLocale::system().decimalPoint();
    request.formAction = DeploymentLinks::current().supportFormAction;
    return request;
}
