#pragma once

#include "drawing/drawingreader.h"
#include "project/projectsettings.h"

struct Settings;
struct ProgramValues;

// The values a project reads, taken from the program's settings and derived
// values and the machine's working area (mm).
TProjectSettings ProjectSettingsFrom(const Settings &settings, const ProgramValues &values,
                                     std::int32_t limitX, std::int32_t limitY);

// The drawing reader's options from the program's settings.
TReaderOptions ReaderOptionsFrom(const Settings &settings, const ProgramValues &values);
