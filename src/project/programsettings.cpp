#include "project/programsettings.h"

#include "app/settings.h"

TProjectSettings ProjectSettingsFrom(const Settings &settings, const ProgramValues &values,
                                     std::int32_t limitX, std::int32_t limitY)
{
    TProjectSettings s;
    s.Mode = settings.Mode;
    s.StolikSwitch = settings.StolikSwitch;
    s.CatDir = settings.CatDir;
    s.cbKrzyzToPunkt = settings.cbKrzyzToPunkt == CheckState::Checked;
    s.skala = settings.skala;
    s.tolerance = values.joiningTolerance;
    s.limitX = limitX;
    s.limitY = limitY;
    return s;
}

TReaderOptions ReaderOptionsFrom(const Settings &settings, const ProgramValues &values)
{
    TReaderOptions options;
    options.lengthUnit = settings.radiounit;
    options.minimumChordMm = values.dxfCurveStep;
    return options;
}
