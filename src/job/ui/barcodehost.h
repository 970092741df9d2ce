#pragma once

#include "job/barcodesets.h"

#include <functional>

class QMdiArea;
class TDrawingOpener;
class TProjectWindowHost;

// The main window's side of the barcode sets: its project windows, the
// drawing opener and the configuration.
class TProgramBarcodeHost : public IBarcodeSetHost
{
public:
    struct Hooks
    {
        // Loads the file into the settings and makes it the current
        // configuration file (record and the configuration dialog's caption);
        // false when the file was refused.
        std::function<bool(const QString &path)> loadKonfig;
        std::function<QString()> machineConfigPath;
    };

    TProgramBarcodeHost(QMdiArea &area, TProjectWindowHost &projects, TDrawingOpener &opener,
                        QString setFolder, Hooks hooks);

    QString setFolder() const override { return m_setFolder; }
    bool loadKonfig(const QString &path) override;
    QString machineConfigPath() const override;
    void openProject(const QString &fileName) override;
    int projectCount() const override;
    void closeAllProjects() override;
    void tileWindows() override;
    std::vector<TSetProjectWindow> projectWindows() const override;

private:
    QMdiArea &m_area;
    TProjectWindowHost &m_projects;
    TDrawingOpener &m_opener;
    QString m_setFolder;
    Hooks m_hooks;
};
