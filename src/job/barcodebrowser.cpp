#include "job/barcodebrowser.h"

#include "app/common.h"
#include "app/inifile.h"
#include "job/barcode.h"
#include "job/barcodelabel.h"
#include "job/barcodesets.h"

#include <QFileInfo>

#include <utility>

TBarcodeBrowser::TBarcodeBrowser(QString setFolder, QString preselect, QString portSettings)
    : m_folder(std::move(setFolder))
    , m_preselect(std::move(preselect))
    , m_portSettings(std::move(portSettings))
    , m_port(ReadLabelPort(m_portSettings))
{ }

void TBarcodeBrowser::FormShow()
{
    m_codes = BarcodeSetCodes(m_folder);
    lbKodyKreskoweClick(static_cast<int>(m_codes.indexOf(m_preselect)));
}

QString TBarcodeBrowser::selectedCode() const
{
    return m_selected >= 0 ? m_codes.at(m_selected) : QString();
}

void TBarcodeBrowser::clearSet()
{
    m_configFileName.clear();
    m_projects.clear();
    m_userLines = {};
    m_summary = {};
    m_dirty = false;
}

void TBarcodeBrowser::lbKodyKreskoweClick(int index)
{
    clearSet();
    m_selected = index >= 0 && index < m_codes.size() ? index : -1;
    const QString code = selectedCode();
    m_setFile = code.isEmpty() ? QString() : BarcodeSetPath(m_folder, code);
    m_pattern = Ean13Pattern(code);
    if (!m_setFile.isEmpty())
        load();
}

void TBarcodeBrowser::load()
{
    if (!QFileInfo(m_setFile).isFile())
        return;
    const TBarcodeSet set = ReadBarcodeSet(TIniFile(m_setFile));
    // The files a scan of the set opens, also in a set edited by hand: its
    // label and sheet describe them, and a save writes them as full paths.
    const QString folder = QFileInfo(m_setFile).absolutePath();
    const auto asOpened = [&folder](const QString &path) {
        return path.trimmed().isEmpty() ? QString() : SetEntryPath(folder, path);
    };
    m_configFileName = asOpened(set.configFileName);
    m_projects.clear();
    for (const QString &project : set.projects)
        m_projects << asOpened(project);
    for (int i = 0; i < 4; ++i)
        m_userLines[i] = set.labelLines[i].value_or(QString());
    m_summary = ConfigurationSummary(m_configFileName);
    m_dirty = false;
}

void TBarcodeBrowser::setConfigFileName(const QString &path)
{
    if (path == m_configFileName)
        return;
    m_configFileName = path;
    m_summary = ConfigurationSummary(path);
    m_dirty = true;
}

void TBarcodeBrowser::addProject(const QString &path)
{
    m_projects << path;
    m_dirty = true;
}

void TBarcodeBrowser::removeProject(int index)
{
    if (index < 0 || index >= m_projects.size())
        return;
    m_projects.removeAt(index);
    m_dirty = true;
}

void TBarcodeBrowser::setUserLine(int index, const QString &text)
{
    if (index < 0 || index >= 4 || m_userLines[index] == text)
        return;
    m_userLines[index] = text;
    m_dirty = true;
}

ConfigFiles::FileResult TBarcodeBrowser::btnZapiszClick()
{
    if (m_setFile.isEmpty())
        return {false, {}};
    TBarcodeSet set;
    set.configFileName = m_configFileName;
    set.projects = m_projects;
    for (int i = 0; i < 4; ++i)
        set.labelLines[i] = m_userLines[i];
    const ConfigFiles::FileResult written = WriteBarcodeSetFile(m_setFile, set, true);
    if (written.ok)
        m_dirty = false;
    return written;
}

bool TBarcodeBrowser::btnUsunPlikClick()
{
    if (m_setFile.isEmpty() || !DeleteFileMsg(m_setFile))
        return false;
    FormShow();
    return true;
}

TBarcodeBrowser::LabelOutcome TBarcodeBrowser::btnDrukujEtykieteClick()
{
    LabelOutcome outcome;
    if (m_selected < 0)
        return {{false, {}}, {}};
    outcome.portSaved = SaveLabelPort(m_portSettings, m_port);
    TBarcodeLabel label;
    label.code = selectedCode();
    label.configurationLines = m_summary;
    label.userLines = m_userLines;
    label.copies = 1;
    label.keepNationalLetters = false;
    outcome.printed = WriteLabel(m_port, BarcodeLabelBytes(label));
    return outcome;
}

TBarcodeSheet TBarcodeBrowser::sheet() const
{
    return BarcodeSheetFor(selectedCode(), m_summary, m_userLines, m_configFileName, m_projects);
}
