#include "app/settings.h"

#include "app/units.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using K = SettingKind;
using R = RangeSource;

// name, kind, min, max, step, hidden, range source, member
constexpr bool Shown = false;
constexpr bool Hidden = true;

const std::array<SettingInfo, 45> kTable = {{
    {"Mode", K::Radio, 0, 5, 1, Hidden, R::Fixed, &Settings::Mode},
    {"AutoSave", K::Check, 0, 2, 1, Shown, R::Fixed, &Settings::AutoSave},
    {"radiounit", K::Radio, 0, 2, 1, Shown, R::Fixed, &Settings::radiounit},
    {"work_power", K::Real, 0, 100, 0.1, Shown, R::WorkPower, &Settings::work_power},
    {"CzasRozgrzewania", K::Real, 0, 10000, 100, Shown, R::Fixed, &Settings::CzasRozgrzewania},
    {"szybkoscObrobki", K::Length, 20, 5000, 100, Shown, R::MaxWorkSpeed, &Settings::szybkoscObrobki},
    {"PrzeSpeed", K::Length, 20, 5000, 100, Shown, R::MaxV, &Settings::PrzeSpeed},
    {"skala", K::Real, 1, 1000, 1, Shown, R::Fixed, &Settings::skala},
    {"Heavy", K::Check, 0, 2, 1, Shown, R::Fixed, &Settings::Heavy},
    {"MoveAfter", K::Check, 0, 2, 1, Shown, R::Fixed, &Settings::MoveAfter},
    {"Srednicamaterialu", K::Length, 0, 4000, 100, Hidden, R::Fixed, &Settings::Srednicamaterialu},
    {"il_obr_rys", K::Real, 0, 1000, 1, Hidden, R::Fixed, &Settings::il_obr_rys},
    {"ilosckrokow", K::Real, 1, 50000, 1, Hidden, R::Fixed, &Settings::ilosckrokow},
    {"dopasujKierunek", K::Check, 0, 2, 1, Hidden, R::Fixed, &Settings::dopasujKierunek},
    {"KierunekObrotow", K::Radio, 0, 1, 1, Hidden, R::Fixed, &Settings::KierunekObrotow},
    {"StolikSwitch", K::Radio, 0, 2, 1, Hidden, R::Fixed, &Settings::StolikSwitch},
    {"Wstrzymaj", K::Check, 0, 2, 1, Hidden, R::Fixed, &Settings::Wstrzymaj},
    {"AddFrame", K::Check, 0, 2, 1, Hidden, R::Fixed, &Settings::AddFrame},
    {"CatDir", K::Radio, 0, 2, 1, Hidden, R::Fixed, &Settings::CatDir},
    {"cbKrzyzToPunkt", K::Check, 0, 2, 1, Hidden, R::Fixed, &Settings::cbKrzyzToPunkt},
    {"Pauza_w_kacie", K::Real, 0, 10000, 10, Hidden, R::Fixed, &Settings::Pauza_w_kacie},
    {"feuVobrotowa", K::Length, 20, 5000, 100, Shown, R::MaxWorkSpeed, &Settings::feuVobrotowa},
    {"feKatObrotu", K::Real, 0, 720, 0.1, Shown, R::Fixed, &Settings::feKatObrotu},
    {"feKalibracjaX", K::Real, -5, 5, 1, Shown, R::Fixed, &Settings::feKalibracjaX},
    {"feKalibracjaY", K::Real, -5, 5, 1, Shown, R::Fixed, &Settings::feKalibracjaY},
    {"cbCheckForUpdate", K::Check, 0, 2, 1, Hidden, R::Fixed, &Settings::cbCheckForUpdate},
    {"rgBazowanie", K::Radio, 0, 1, 1, Shown, R::Fixed, &Settings::rgBazowanie},
    {"Xwrzeciona", K::Length, -1000, 1000, 1, Hidden, R::Fixed, &Settings::Xwrzeciona},
    {"Ywrzeciona", K::Length, 0, 2000, 1, Hidden, R::Fixed, &Settings::Ywrzeciona},
    {"Xstolika", K::Length, 0, 3000, 1, Hidden, R::Fixed, &Settings::Xstolika},
    {"Ystolika", K::Length, 0, 3000, 1, Hidden, R::Fixed, &Settings::Ystolika},
    {"Xnarzedzia", K::Length, -1000, 1000, 1, Hidden, R::Fixed, &Settings::Xnarzedzia},
    {"Ynarzedzia", K::Length, -1000, 1000, 1, Hidden, R::Fixed, &Settings::Ynarzedzia},
    {"feuGlebokoscNaPrzestawczej", K::Length, 0, 1000, 100, Shown, R::Fixed,
     &Settings::feuGlebokoscNaPrzestawczej},
    {"feuGlebokoscNaRoboczej", K::Length, 0, 1000, 100, Shown, R::Fixed, &Settings::feuGlebokoscNaRoboczej},
    {"feuZderzakX", K::Length, 0, 1700, 100, Shown, R::Fixed, &Settings::feuZderzakX},
    {"feuZderzakY", K::Length, 0, 1700, 100, Shown, R::Fixed, &Settings::feuZderzakY},
    {"cbAutomOdjazdDoBezpStrefy", K::Check, 0, 2, 1, Shown, R::Fixed, &Settings::cbAutomOdjazdDoBezpStrefy},
    {"rgKatObrotu", K::Radio, 0, 1, 1, Hidden, R::Fixed, &Settings::rgKatObrotu},
    {"rgAlgorytmObrotowego", K::Radio, 0, 1, 1, Shown, R::Fixed, &Settings::rgAlgorytmObrotowego},
    {"fuPlt_accuracy", K::Length, 0.05, 0.25, 0.1, Shown, R::Fixed, &Settings::fuPlt_accuracy},
    {"sbWspSymulacji", K::Scroll, 0, 20, 1, Shown, R::Fixed, &Settings::sbWspSymulacji},
    {"sbRozdzKrzywychDXF", K::Scroll, 1, 8, 1, Shown, R::Fixed, &Settings::sbRozdzKrzywychDXF},
    {"eMorvantello_path", K::Text, 0, 0, 0, Shown, R::Fixed, &Settings::eMorvantello_path},
    {"PowerOutput", K::Radio, 0, 1, 1, Hidden, R::Fixed, &Settings::PowerOutput},
}};

template<class... F>
struct Overloaded : F...
{
    using F::operator()...;
};
template<class... F>
Overloaded(F...) -> Overloaded<F...>;

Settings &mutableCurrent()
{
    static Settings settings;
    return settings;
}

ProgramValues &mutableValues()
{
    static ProgramValues values = ProgramValues::derive(Settings());
    return values;
}

} // namespace

std::span<const SettingInfo> Settings::table()
{
    return kTable;
}

const SettingInfo *Settings::find(QStringView name)
{
    for (const SettingInfo &info : kTable) {
        if (name == QLatin1StringView(info.name))
            return &info;
    }
    return nullptr;
}

double Settings::minimum(const SettingInfo &info) const
{
    return info.min;
}

double Settings::maximum(const SettingInfo &info) const
{
    switch (info.rangeSource) {
    case RangeSource::WorkPower:
        return limits.workPowerMax;
    case RangeSource::MaxWorkSpeed:
        return limits.maxWorkSpeed;
    case RangeSource::MaxV:
        return limits.maxV;
    case RangeSource::Fixed:
        break;
    }
    return info.max;
}

double Settings::number(const SettingInfo &info) const
{
    return std::visit(Overloaded{
                          [this](int Settings::*m) { return double(this->*m); },
                          [this](CheckState Settings::*m) { return double(int(this->*m)); },
                          [this](double Settings::*m) { return this->*m; },
                          [](QString Settings::*) { return 0.0; },
                      },
                      info.member);
}

void Settings::setNumber(const SettingInfo &info, double value)
{
    if (std::isnan(value))
        return;
    const double lo = minimum(info);
    const double hi = maximum(info);
    if (lo < hi)
        value = std::clamp(value, lo, hi);
    std::visit(Overloaded{
                   [&](int Settings::*m) { this->*m = int(std::nearbyint(value)); },
                   [&](CheckState Settings::*m) { this->*m = CheckState(int(std::nearbyint(value))); },
                   [&](double Settings::*m) { this->*m = value; },
                   [](QString Settings::*) {},
               },
               info.member);
}

QString Settings::text(const SettingInfo &info) const
{
    if (auto m = std::get_if<QString Settings::*>(&info.member))
        return this->**m;
    return {};
}

void Settings::setText(const SettingInfo &info, const QString &value)
{
    if (auto m = std::get_if<QString Settings::*>(&info.member))
        this->**m = value;
}

void Settings::clampToRanges()
{
    for (const SettingInfo &info : kTable) {
        if (info.kind != SettingKind::Text)
            setNumber(info, number(info));
    }
}

const Settings &Settings::current()
{
    return mutableCurrent();
}

void Settings::setCurrent(const Settings &settings)
{
    mutableCurrent() = settings;
    mutableValues() = ProgramValues::derive(settings);
    Units::setCurrentLengthUnit(settings.radiounit);
}

ProgramValues ProgramValues::derive(const Settings &settings)
{
    ProgramValues values;
    // Millimetres to plotter units (40 per millimetre), rounded half to even.
    values.joiningTolerance
        = int(std::nearbyint(40000.0L * static_cast<long double>(settings.fuPlt_accuracy) / 1000.0L));
    const SettingInfo *dxf = Settings::find(u"sbRozdzKrzywychDXF");
    values.dxfCurveStep = (dxf->max + 1 - settings.sbRozdzKrzywychDXF) * 0.25;
    values.stopX = settings.feuZderzakX;
    values.stopY = settings.feuZderzakY;
    return values;
}

const ProgramValues &ProgramValues::current()
{
    return mutableValues();
}
