#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The job information window's values, worked out without a window.

// The project the window describes (one project window, plotter units).
struct TJobInfoProject
{
    QString caption; // the window's caption: its file name
    std::int32_t CrossWidth = -1; // -1 without cross-to-point cutting
    std::int32_t CrossHeight = -1;
    std::int32_t ProjectWidth = 0;
    std::int32_t ProjectHeight = 0;
    double PathLength = 0; // the wire path, plotter units
    int figureCount = 0;
};

// The settings the values depend on.
struct TJobInfoSettings
{
    int Mode = 0;
    double skala = 100; // percent
    double ilosckrokow = 8; // passes of a rotary cut or a turning
    double szybkoscObrobki = 1000; // mm/min
    int unit = 0; // display length unit
};

struct TJobInfoValues
{
    QString fname;
    QString konfigname;
    QString szerokosc;
    QString wysokosc;
    QString ramkaSzerokosc;
    QString ramkaWysokosc;
    // Not worked out for perpendicular profiles: the window keeps what it showed.
    std::optional<QString> totlen;
    std::optional<QString> total_time;
};

// Sizes are Round(skala × size / 100) plotter units in the unit with 2
// decimals. The path is Round(skala / 100 × PathLength) units (times the
// passes for rotary cutting and turning), shown in metres for millimetres;
// the time is the path over the working speed plus 0.03 min per figure.
TJobInfoValues JobInfoValues(const TJobInfoProject &project, const QString &configurationCaption,
                             const TJobInfoSettings &settings);
