#pragma once

#include <QString>

#include <cstdint>

struct DeploymentLinks;

// The About box's texts, worked out without a window.

// What the machine reported about itself (the About box reads it afresh, the
// support page takes the last report).
struct TMachineReport
{
    bool connected = false;
    QString manufacturer;
    QString machineName;
    QString family; // the two-character family code
    double limitX = 0; // travel, mm
    double limitY = 0;
    double limitZ = 0; // the third travel (Z on BN machines)
    double fcWidth = 0; // distance between the arms, mm
    std::uint32_t workingTime = 0; // minutes
    std::uint32_t jobCount = 0; // jobs (files) the machine has cut
    int firmwareMajor = 0;
    int firmwareMinor = 0;
};

// What the box shows around the data, fixed when it is created.
struct TAboutLayout
{
    QString link; // the web address under the data; empty: no link
    bool showProducer = true; // a dealer's edition does not name the maker
    QString logoPath; // the dealer's logo; empty: no logo panel
};

// The maker's site for the maker's edition, the SOLMAR site for that dealer,
// no link for other dealers. The logo is <program folder>/<dealer>.bmp when
// that file exists.
TAboutLayout AboutLayout(const QString &dealerCode, const QString &programDir, const DeploymentLinks &links);

// Which caption the row of the machine's width shows.
enum class TAboutWidthRow {
    Width, // the distance between the arms (Vq, GZ, Zf, and no machine)
    ZTravel, // "Z :" with the third travel (BN)
    Hidden, // other families have neither
};

// The values of one showing. Without a machine the seven machine fields hold
// "About"/"brakDanych".
struct TAboutValues
{
    QString version; // with release and build
    QString date; // the executable's date
    QString producer;
    QString model;
    QString area; // "50.0x30.0 in"
    QString width;
    QString workingTime; // "2" + "godz" + "15 min."
    QString jobs;
    QString firmware; // "major.minor"
    TAboutWidthRow widthRow = TAboutWidthRow::Width;
};

TAboutValues AboutValues(const TMachineReport &machine, int unit, const QString &executableDate);

// The working area in the unit, one decimal each: "50.0x30.0 in".
QString WorkAreaText(double xMm, double yMm, int unit);
