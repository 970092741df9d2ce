// The job information window's values, without a window.
#include "project/jobinfo.h"

#include <gtest/gtest.h>

TEST(JobInformation, LengthsAndTimeByMode)
{
    TJobInfoProject project;
    project.caption = QStringLiteral("wing.plt");
    project.PathLength = 400000; // 10 m
    project.figureCount = 40;
    project.ProjectWidth = 5;
    project.ProjectHeight = 8400;
    TJobInfoSettings settings;
    settings.szybkoscObrobki = 1000;

    const TJobInfoValues flat = JobInfoValues(project, QStringLiteral("Prentavik.mcc"), settings);
    EXPECT_EQ(flat.fname + " " + flat.konfigname, "wing.plt Prentavik.mcc");
    EXPECT_EQ(flat.totlen.value_or("none"), "10.00 m");
    EXPECT_EQ(flat.total_time.value_or("none"), "11 min"); // 10 min + 40 × 0.03 min
    // Without cross-to-point cutting the stored -1 unit shows, scaled.
    EXPECT_EQ(flat.szerokosc + " " + flat.wysokosc, "-0.03 mm -0.03 mm");
    EXPECT_EQ(flat.ramkaWysokosc, "210.00 mm");

    // Sizes round halves to even: 50 % of 5 units is 2, not 3.
    settings.skala = 50;
    EXPECT_EQ(JobInfoValues(project, {}, settings).ramkaSzerokosc, "0.05 mm");

    // 50,000 passes of a 10 m path at ten times the size: 5,000 km, far
    // beyond 32-bit plotter units.
    settings.Mode = 1;
    settings.skala = 1000;
    settings.ilosckrokow = 50000;
    settings.szybkoscObrobki = 5000;
    const TJobInfoValues rotary = JobInfoValues(project, {}, settings);
    EXPECT_EQ(rotary.totlen.value_or("none"), "5000000.00 m");
    EXPECT_EQ(rotary.total_time.value_or("none"), "1000001 min");

    settings = {};
    settings.unit = 1;
    project.PathLength = 10160; // 254 mm
    EXPECT_EQ(JobInfoValues(project, {}, settings).totlen.value_or("none"), "10.00 in");

    settings.Mode = 5; // perpendicular profiles leave both totals as they were
    const TJobInfoValues perpendicular = JobInfoValues(project, {}, settings);
    EXPECT_FALSE(perpendicular.totlen || perpendicular.total_time);
    EXPECT_EQ(perpendicular.ramkaWysokosc, "8.27 in");
}
