#pragma once

#include <QString>
#include <QStringView>

#include <span>
#include <variant>

// Every machine and work setting of the program, by the name of the
// configuration dialog's control that edits it. The names are also the keys
// of the machine configuration file (".mcc"), whose lines follow the order of
// `Settings::table()`.
//
// Other subsystems read the program's settings through `Settings::current()`
// and the values derived from them through `ProgramValues::current()`; they
// never read a widget. Both live on the GUI thread: a worker thread takes a
// copy before it starts.

enum class SettingKind {
    Radio,  // item index of a radio group (-1 only in old files: nothing selected)
    Check,  // check box state
    Real,   // plain real value
    Length, // length in millimetres, shown in the current length unit
    Scroll, // scroll bar position
    Text,   // edit text
};

enum class CheckState : int { Unchecked = 0, Checked = 1, Grayed = 2 };

// Where the upper end of a setting's range comes from: most are fixed, a few
// follow the connected machine (its model's speed limits and heating output).
enum class RangeSource { Fixed, WorkPower, MaxWorkSpeed, MaxV };

// Limits that follow the machine; the configuration applies them whenever the
// dialog is created or opened.
struct MachineLimits
{
    // Amperes, or percent on machines heated by percentage. Until a machine is
    // known the widest maximum applies, so a file made for such a machine is
    // read without losing its power.
    double workPowerMax = 100.0;
    int maxWorkSpeed = 5000;    // mm/min
    int maxV = 5000;            // mm/min
    bool operator==(const MachineLimits &) const = default;
};

struct Settings;

struct SettingInfo
{
    using Member = std::variant<int Settings::*, CheckState Settings::*, double Settings::*, QString Settings::*>;

    const char *name;
    SettingKind kind;
    double min; // radio: 0; scroll: first position
    double max; // radio: last item index; for machine-bound ranges the fallback
    double step;
    bool hidden; // not shown in the dialog; comes from the machine configuration file
    RangeSource rangeSource;
    Member member;

    QString key() const { return QString::fromLatin1(name); }
};

struct Settings
{
    // Defaults of a new installation. Declaration order is the file order.
    int Mode = 0; // 0 flat, 1 rotary, 2 serial, 3 turning, 4 independent, 5 perpendicular
    CheckState AutoSave = CheckState::Unchecked;
    int radiounit = 0; // display length unit: 0 mm, 1 inch, 2 foot
    double work_power = 1.0;
    double CzasRozgrzewania = 1000; // heat-up time, ms
    double szybkoscObrobki = 1000;  // working speed, mm/min
    double PrzeSpeed = 1000;        // travel speed, mm/min
    double skala = 100;             // percent
    CheckState Heavy = CheckState::Unchecked;
    CheckState MoveAfter = CheckState::Unchecked;
    double Srednicamaterialu = 500; // mm
    double il_obr_rys = 0;
    double ilosckrokow = 8;
    CheckState dopasujKierunek = CheckState::Checked;
    int KierunekObrotow = 0; // 0 right, 1 left
    int StolikSwitch = 0;    // 0 spindle, 1 rotary table, 2 none
    CheckState Wstrzymaj = CheckState::Unchecked;
    CheckState AddFrame = CheckState::Checked;
    int CatDir = 2; // X feed: 0 right, 1 left, 2 both ways
    CheckState cbKrzyzToPunkt = CheckState::Unchecked;
    double Pauza_w_kacie = 200; // ms
    double feuVobrotowa = 1000; // mm/min
    double feKatObrotu = 380;   // degrees
    double feKalibracjaX = 0;   // percent
    double feKalibracjaY = 0;   // percent
    CheckState cbCheckForUpdate = CheckState::Unchecked;
    int rgBazowanie = 0;
    double Xwrzeciona = 12; // mm
    double Ywrzeciona = 730;
    double Xstolika = 1000;
    double Ystolika = 250;
    double Xnarzedzia = 0;
    double Ynarzedzia = 0;
    double feuGlebokoscNaPrzestawczej = 12;
    double feuGlebokoscNaRoboczej = 730;
    double feuZderzakX = 51;
    double feuZderzakY = 0;
    CheckState cbAutomOdjazdDoBezpStrefy = CheckState::Unchecked;
    int rgKatObrotu = 0;
    int rgAlgorytmObrotowego = 0;
    double fuPlt_accuracy = 0.25; // mm
    int sbWspSymulacji = 0;
    int sbRozdzKrzywychDXF = 1;
    QString eMorvantello_path;
    int PowerOutput = 0; // 0 straight wire, 1 shaped wire

    // Not settings: the machine-bound upper limits of some ranges.
    MachineLimits limits;

    bool operator==(const Settings &) const = default;

    // Every setting in file order.
    static std::span<const SettingInfo> table();
    // nullptr when no setting has that exact (case-sensitive) name.
    static const SettingInfo *find(QStringView name);

    // Range in millimetres for lengths; equal ends mean no range.
    double minimum(const SettingInfo &info) const;
    double maximum(const SettingInfo &info) const;

    // Numeric view of radio, check, real, length and scroll settings (text: 0).
    double number(const SettingInfo &info) const;
    // Sets a numeric setting, clamped into its range; integers are rounded.
    void setNumber(const SettingInfo &info, double value);
    QString text(const SettingInfo &info) const;
    void setText(const SettingInfo &info, const QString &value);

    // Clamps every numeric setting into its range.
    void clampToRanges();

    // The program's settings (GUI thread only).
    static const Settings &current();
    // Replaces them and recomputes every derived program-wide value.
    static void setCurrent(const Settings &settings);
};

// Values that inner loops read, derived from the settings whenever the
// program's settings change (start-up, a loaded configuration file, OK).
struct ProgramValues
{
    int joiningTolerance = 10; // plotter units (1/40 mm) between figure ends that are joined
    double dxfCurveStep = 2.0; // minimum chord of curve flattening, mm
    double stopX = 51.0;       // stop (bumper) position, mm
    double stopY = 0.0;

    bool operator==(const ProgramValues &) const = default;

    static ProgramValues derive(const Settings &settings);
    static const ProgramValues &current();
};
