#pragma once

#include "app/configfiles.h"
#include "job/barcodesheet.h"

#include <QString>
#include <QStringList>

#include <array>

// The barcode set browser without its widgets: the list of sets, the
// selected set's configuration file, projects and label lines, its
// configuration summary and bar pattern, and what can be done with it.
class TBarcodeBrowser
{
public:
    // setFolder: where the set files are; preselect: the code to select
    // when the list is first filled; portSettings: the INI file that keeps
    // the label printer's port.
    TBarcodeBrowser(QString setFolder, QString preselect, QString portSettings);

    // Fills the list from the folder, selects the preselected code when its
    // set exists, and loads the selection.
    void FormShow();
    // Selects a list entry (-1 for none) and loads its set, discarding edits.
    void lbKodyKreskoweClick(int index);

    const QStringList &codes() const { return m_codes; }
    int selectedIndex() const { return m_selected; }
    QString selectedCode() const;
    // The selected set's file, empty when nothing is selected.
    const QString &setFileName() const { return m_setFile; }
    const QString &pattern() const { return m_pattern; }

    const QString &configFileName() const { return m_configFileName; }
    const QStringList &projects() const { return m_projects; }
    const std::array<QString, 4> &userLines() const { return m_userLines; }
    const std::array<QString, 5> &summary() const { return m_summary; }

    // Delete, print and the configuration and project buttons.
    bool setButtonsEnabled() const { return m_selected >= 0; }
    bool saveEnabled() const { return m_dirty; }

    // Edits; each enables saving. The summary follows the configuration file.
    void setConfigFileName(const QString &path);
    void addProject(const QString &path);
    void removeProject(int index);
    void setUserLine(int index, const QString &text);

    // Writes the set file (its three sections replaced); a failure keeps
    // saving enabled and carries the reason.
    ConfigFiles::FileResult btnZapiszClick();
    // Deletes the selected set (a failure is shown), then lists the sets again.
    bool btnUsunPlikClick();
    // The label printer's device or file, as last printed to.
    const QString &labelPort() const { return m_port; }
    void setLabelPort(const QString &port) { m_port = port.trimmed(); }
    struct LabelOutcome
    {
        ConfigFiles::FileResult printed;
        ConfigFiles::FileResult portSaved; // the port kept for the next time
    };
    // The label of the selected set to the label port: one copy, Polish
    // letters made plain.
    LabelOutcome btnDrukujEtykieteClick();
    TBarcodeSheet sheet() const;

private:
    void clearSet();
    void load();

    QString m_folder;
    QString m_preselect;
    QString m_portSettings;
    QString m_port;
    QStringList m_codes;
    int m_selected = -1;
    QString m_setFile;
    QString m_pattern;
    QString m_configFileName;
    QStringList m_projects;
    std::array<QString, 4> m_userLines;
    std::array<QString, 5> m_summary;
    bool m_dirty = false;
};
