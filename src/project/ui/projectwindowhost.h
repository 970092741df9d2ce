#pragma once

#include "project/openfile.h"
#include "project/serialsave.h"
#include "project/ui/mdichild.h"

#include <QPointer>

#include <functional>
#include <vector>

class QMdiArea;

// The main window's link to the companion's shared memory.
class TCompanionProjectSize : public ISharedProjectSize
{
public:
    void WriteProjectSize(int width, int height) override;
};

// Opens a document with the desktop's viewer.
bool OpenWithDesktop(const QString &path);

// The project windows of the main window's MDI area, as the open commands
// create and arrange them.
class TProjectWindowHost : public IProjectOpenHost
{
public:
    // What the host asks of the rest of the program; empty ones fall back to
    // plain behaviour (a file dialog, a remembered folder, mode 0...).
    struct Hooks
    {
        std::function<int()> cuttingMode;
        std::function<QString()> openFolder;
        std::function<void(const QString &)> rememberOpenFolder;
        std::function<QString(bool side)> armCaption;
        std::function<QString(const QString &folder, const QString &title, const QList<TFileFilter> &,
                              int &filterIndex)>
            askForDrawing;
        // The save dialog of the export commands; an empty name when cancelled.
        std::function<QString(const TSaveDialogRequest &)> askForSaveName;
        std::function<int()> openFilterIndex;
        std::function<void(int)> rememberOpenFilterIndex;
    };

    TProjectWindowHost(QMdiArea *area, TProjectWindowContext context, Hooks hooks);
    ~TProjectWindowHost() override;
    TProjectWindowHost(const TProjectWindowHost &) = delete;
    TProjectWindowHost &operator=(const TProjectWindowHost &) = delete;

    // The open project windows in creation order (closing ones left out).
    std::vector<TMDIChild *> windows() const;
    TMDIChild *window(int handle) const;

    int ProjectCount() const override;
    void CloseAllClick() override;
    TOpenedProject OpenProject(const QString &fileName, int drawingKind, int passNumber,
                               std::uint8_t penFilter) override;
    void SetCaption(int window, const QString &caption) override;
    int CreateEmptyProject(const QString &caption, const QString &fileName) override;
    // A window for a project a generator built, planned like a loaded one
    // unless `plan` is false.
    int CreateGeneratedProject(const QString &caption, int readerKind, TProjectDocument document,
                               bool plan = true);
    void BuildMixedProject(int front, int back, int mix) override;
    void ShowProject(int window) override;
    void TileWindows() override;
    QString AskForDrawing(const QString &folder, const QString &title, const QList<TFileFilter> &filters,
                          int &filterIndex) override;
    QString OpenFolder() const override;
    void RememberOpenFolder(const QString &folder) override;
    int OpenFilterIndex() const override;
    void RememberOpenFilterIndex(int filterIndex) override;
    QString ArmCaption(bool side) const override;
    int CuttingMode() const override;

    // The export commands: the active project window, when it holds a figure,
    // written to the file the save dialog names. A failed write is shown.
    void FileSaveAsHPGLClick();
    void FileSaveAsDXFClick();
    TMDIChild *activeWindow() const;
    // The serial save command: every window, as the pass its number names,
    // written as a numbered DXF file into the folder the user picks (starting
    // beside the 3D model, else in the program folder).
    TSerialSaveResult SaveSerialClick(const QString &modelFileName, const TSelectFolder &selectFolder);

private:
    int Add(TMDIChild *child);
    QString AskForSaveName(const TSaveDialogRequest &request);
    void ExportActive(TSaveDialogRequest (*dialog)(const QString &projectFileName),
                      TSaveResult (TMDIChild::*save)(const QString &) const);
    void MergeWindows(int front, int back, int mix);

    QMdiArea *m_area;
    TProjectWindowContext m_context;
    Hooks m_hooks;
    std::vector<QPointer<TMDIChild>> m_created;
    // Merges waiting for the plans of their front and back windows.
    std::vector<QMetaObject::Connection> m_pendingMerges;
    QString m_openFolder;
    int m_openFilterIndex = 1;
};
