#pragma once

#include <cstdint>

// The settings and machine values a project reads while it loads and checks
// its size, handed to it as values (never read from widgets). The names are
// the configuration's setting names.
struct TProjectSettings
{
    // Cutting mode: 0 flat, 1 rotary, 2 serial, 3 turning, 4 independent
    // front and back profiles, 5 perpendicular front and side profiles.
    int Mode = 0;
    // Rotary axis: 0 spindle, 1 rotary table, 2 none.
    int StolikSwitch = 0;
    // X feed: 0 right, 1 left, 2 both ways.
    int CatDir = 2;
    // Crossing two-point lines become drilling points.
    bool cbKrzyzToPunkt = false;
    // Scale of the project in percent when the job is written.
    double skala = 100.0;
    // Joining tolerance in plotter units (the configured accuracy converted
    // with MmToUnits); ends closer than this in x and in y meet.
    double tolerance = 10.0;
    // The machine's working area in whole millimetres.
    std::int32_t limitX = 4800;
    std::int32_t limitY = 2400;
};
