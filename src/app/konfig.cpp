#include "app/konfig.h"

#include "app/definicje.h"
#include "app/machineidentity.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace {

constexpr qsizetype MaxMachinePath = 254;
constexpr qsizetype MaxFolder = 79;

QString dateOfExecutable()
{
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    if (!exe.exists() || !exe.isReadable())
        return QStringLiteral("Nieznana");
    return QLocale::system().toString(exe.lastModified(), QLocale::ShortFormat);
}

void append(std::vector<KonfigMessage> &to, std::vector<KonfigMessage> from)
{
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace

Konfig::Konfig(ProgramFolders folders, KonfigOptions options, MachineIdentity &machine)
    : m_folders(std::move(folders))
    , m_options(options)
    , m_machine(&machine)
    , m_global(ConfigFiles::defaultGlobalConfig(defaultMachineConfigPath()))
    , m_working(Settings::current())
    , m_snapshot(Settings::current())
{ }

Konfig::Konfig(ProgramFolders folders, KonfigOptions options)
    : m_folders(std::move(folders))
    , m_options(options)
    , m_global(ConfigFiles::defaultGlobalConfig(defaultMachineConfigPath()))
    , m_working(Settings::current())
    , m_snapshot(Settings::current())
{ }

MachineIdentity &Konfig::machine() const
{
    return m_machine ? *m_machine : machineIdentity();
}

QString Konfig::globalConfigPath() const
{
    return m_folders.writablePath(QStringLiteral("Prentavik.gcf"));
}

QString Konfig::defaultMachineConfigPath() const
{
    return m_folders.writablePath(QStringLiteral("Prentavik.mcc"));
}

KonfigMessage Konfig::writeFailure(const QString &path, const QString &reason)
{
    return {true, QStringLiteral("Configuration"), QStringLiteral("bladZapisu"),
            path + QStringLiteral("\n") + reason, false};
}

std::vector<KonfigMessage> Konfig::create()
{
    std::vector<KonfigMessage> messages;
    m_executableDate = dateOfExecutable();
    ConfigFiles::FileResult written;
    m_global = ConfigFiles::LoadGlobalConfig(globalConfigPath(), defaultMachineConfigPath(), &written);
    if (!written.ok)
        messages.push_back(writeFailure(globalConfigPath(), written.error));
    // A machine file that was moved or deleted since the last run (or sits on
    // a drive that is gone): say which, then fall back to the default file
    // rather than recreating the old path.
    const QString fallback = defaultMachineConfigPath().left(MaxMachinePath);
    if (!QFileInfo::exists(m_global.machineConfigPath)) {
        if (m_global.machineConfigPath != fallback)
            messages.push_back(missingFile(m_global.machineConfigPath));
        m_global.machineConfigPath = fallback;
    }

    Settings settings = Settings::current();
    KonfigLoad load = loadInto(m_global.machineConfigPath, settings);
    append(messages, std::move(load.messages));
    if (!load.taken && m_global.machineConfigPath != fallback) {
        // A refused file must not stay the one OK saves to with AutoSave.
        m_global.machineConfigPath = fallback;
        append(messages, loadInto(fallback, settings).messages);
    }
    publish(settings);
    m_working = settings;
    m_snapshot = settings;
    return messages;
}

std::vector<KonfigMessage> Konfig::destroy()
{
    const auto result = ConfigFiles::SaveGlobalConfig(globalConfigPath(), m_global);
    if (!result.ok)
        return {writeFailure(globalConfigPath(), result.error)};
    return {};
}

KonfigLoad Konfig::loadInto(const QString &path, Settings &settings)
{
    KonfigLoad load;
    std::vector<KonfigMessage> &messages = load.messages;
    m_flags.loading = true;
    const Settings before = settings;
    const auto result = ConfigFiles::LoadKonfig(path, settings);
    switch (result.status) {
    case ConfigFiles::LoadStatus::Missing: {
        // The current values (the defaults on a new installation) become the file.
        messages.push_back(missingFile(path));
        const auto saved = ConfigFiles::SaveKonfig(path, settings);
        if (!saved.ok)
            messages.push_back(writeFailure(path, saved.error));
        break;
    }
    case ConfigFiles::LoadStatus::Unreadable:
        messages.push_back({true, QStringLiteral("Configuration"), QStringLiteral("bladOdczytu"),
                            path + QStringLiteral("\n") + result.error, false});
        m_flags.loading = false;
        return load;
    case ConfigFiles::LoadStatus::NotConfiguration:
        // Nothing is taken from it, so it must not become the current file either.
        messages.push_back(
            {true, QStringLiteral("Configuration"), QStringLiteral("plikNieJestKonfiguracja"), path, false});
        m_flags.loading = false;
        return load;
    case ConfigFiles::LoadStatus::Loaded:
        break;
    }
    load.taken = true;
    // A file may hold more power or speed than this machine takes: its
    // limits hold from the load on, not only once the dialog is opened.
    applyKnownMachineLimits(settings);
    noteChanges(before, settings);
    m_flags.loading = false;
    m_flags.powerOutputChanged = true;
    return load;
}

KonfigMessage Konfig::missingFile(const QString &path)
{
    return {false, QStringLiteral("Configuration"), QStringLiteral("brakKonfiga"), path, true};
}

void Konfig::applyKnownMachineLimits(Settings &settings) const
{
    // Until a machine is known the widest limits stay, so a file made for a
    // machine heated in percent keeps its power.
    if (machine().machineName().isEmpty())
        return;
    KonfigRules::applyMachineLimits(settings, machine());
    settings.clampToRanges();
}

void Konfig::machineIdentified()
{
    Settings settings = Settings::current();
    applyKnownMachineLimits(settings);
    publish(settings);
    applyKnownMachineLimits(m_working);
    applyKnownMachineLimits(m_snapshot);
}

void Konfig::publish(const Settings &settings)
{
    Settings::setCurrent(settings);
    // The machine's thread keeps a copy of its own: without this it would
    // home, heat and calibrate with the values of before.
    machine().settingsChanged();
}

void Konfig::noteChanges(const Settings &before, const Settings &after)
{
    if (before.Mode != after.Mode)
        m_flags.modeChanged = true;
    if (before.PowerOutput != after.PowerOutput)
        m_flags.powerOutputChanged = true;
    if (before.KierunekObrotow != after.KierunekObrotow || before.StolikSwitch != after.StolikSwitch)
        m_flags.rotationSettingsClicked = true;
    if (before.feKalibracjaX != after.feKalibracjaX || before.feKalibracjaY != after.feKalibracjaY)
        m_flags.calibrationChanged = true;
}

KonfigRules::Activation Konfig::refresh(Settings &settings)
{
    const Settings before = settings;
    const KonfigRules::Activation activation = KonfigRules::updateactiv(settings);
    // A forced heating output changes the power's maximum as a click would.
    if (settings.PowerOutput != before.PowerOutput)
        KonfigRules::UpdatePowerLimit(settings, machine());
    noteChanges(before, settings);
    m_flags.rotationSettingsClicked = true;
    return activation;
}

KonfigRules::Activation Konfig::activate()
{
    Settings settings = Settings::current();
    const Settings before = settings;
    // A look at the dialog before the machine is known, even one ended with Cancel, must not
    // cut the power of a file made for a machine heated in percent.
    applyKnownMachineLimits(settings);
    noteChanges(before, settings);
    m_modeItemCount = KonfigRules::modeItemCount(m_modeItemCount, machine(), m_options.showAll);
    const KonfigRules::Activation activation = refresh(settings);
    // Forced values and limits hold whether the dialog ends with OK or
    // Cancel, as they would for any look at the dialog.
    publish(settings);
    m_snapshot = settings;
    m_working = settings;
    m_editing = true;
    m_flags.modeChanged = false;
    m_flags.calibrationChanged = false;
    return activation;
}

std::vector<KonfigMessage> Konfig::accept()
{
    std::vector<KonfigMessage> messages;
    // A value still being typed, or one the machine identified meanwhile no
    // longer allows, must never reach the machine as it is.
    applyKnownMachineLimits(m_working);
    m_working.clampToRanges();
    publish(m_working);
    m_editing = false;
    if (m_flags.calibrationChanged)
        machine().reloadResolutions();
    const auto global = ConfigFiles::SaveGlobalConfig(globalConfigPath(), m_global);
    if (!global.ok)
        messages.push_back(writeFailure(globalConfigPath(), global.error));
    // The program folder's machine file holds what OK accepted, so the
    // settings are there at the next start; AutoSave writes the current
    // machine file too.
    append(messages, saveKonfig(defaultMachineConfigPath()));
    if (m_working.AutoSave == CheckState::Checked && m_global.machineConfigPath != defaultMachineConfigPath())
        append(messages, saveKonfig(m_global.machineConfigPath));
    return messages;
}

void Konfig::cancel()
{
    m_working = m_snapshot;
    publish(m_snapshot);
    m_editing = false;
    m_flags.modeChanged = false;
    m_flags.powerOutputChanged = false;
}

std::optional<KonfigRules::Activation> Konfig::setWorkingNumber(const SettingInfo &info, double value)
{
    Settings settings = m_working;
    settings.setNumber(info, value);
    if (&info == Settings::find(u"work_power") || &info == Settings::find(u"feKatObrotu"))
        settings.work_power = KonfigRules::work_powerChange(settings.work_power, machine());
    if (&info == Settings::find(u"PowerOutput"))
        KonfigRules::UpdatePowerLimit(settings, machine());
    noteChanges(m_working, settings);
    std::optional<KonfigRules::Activation> activation;
    const QString name = info.key();
    if (name == u"Mode" || name == u"radiounit" || name == u"CatDir")
        activation = refresh(settings);
    else if (name == u"KierunekObrotow" || name == u"StolikSwitch") {
        KonfigRules::Activation a;
        a.stepsPerTurn = KonfigRules::rotationSettingsEnable(settings);
        m_flags.rotationSettingsClicked = true;
        activation = a;
    }
    m_working = settings;
    return activation;
}

void Konfig::setWorkingText(const SettingInfo &info, const QString &value)
{
    m_working.setText(info, value);
}

std::vector<KonfigMessage> Konfig::saveKonfig(const QString &path)
{
    const auto result = ConfigFiles::SaveKonfig(path, m_editing ? m_working : Settings::current());
    if (!result.ok)
        return {writeFailure(path, result.error)};
    return {};
}

std::vector<KonfigMessage> Konfig::saveAs(const QString &path)
{
    auto messages = saveKonfig(path);
    if (messages.empty())
        setMachineConfigPath(path);
    return messages;
}

KonfigLoad Konfig::loadFrom(const QString &path)
{
    Settings settings = m_working;
    KonfigLoad load = loadInto(path, settings);
    if (!load.taken)
        return load;
    if (m_editing) {
        KonfigRules::UpdatePowerLimit(settings, machine());
        refresh(settings);
        m_working = settings;
    } else {
        publish(settings);
        m_working = settings;
        m_snapshot = settings;
    }
    setMachineConfigPath(path);
    return load;
}

KonfigLoad Konfig::loadKonfig(const QString &path)
{
    if (m_editing)
        return loadFrom(path);
    Settings settings = Settings::current();
    KonfigLoad load = loadInto(path, settings);
    if (!load.taken)
        return load;
    publish(settings);
    m_working = settings;
    m_snapshot = settings;
    return load;
}

void Konfig::setSerialCutting(bool cutOffAtEnd)
{
    Globals().CutOffAtEnd = cutOffAtEnd;
    Settings settings = Settings::current();
    settings.Mode = 2;
    publish(settings);
    m_working.Mode = 2;
    m_snapshot.Mode = 2;
}

void Konfig::setOpenFolder(const QString &folder)
{
    m_global.openFolder = folder.left(MaxFolder);
}

void Konfig::setFilterIndex(int index)
{
    m_global.filterIndex = (index >= 1 && index <= ConfigFiles::FilterCount) ? index : 1;
}

void Konfig::setMachineConfigPath(const QString &path)
{
    m_global.machineConfigPath = path.left(MaxMachinePath);
}
