#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>

struct DocumentPlace;

// Opening a drawing the way the cutting mode asks: one project window; the
// front, back and merged windows of an independent cut; the front and side
// windows of a perpendicular cut; or one window per numbered file of a
// folder for a serial cut. The windows themselves belong to the main window,
// which provides them through IProjectOpenHost.

// The drawing kind by the file's extension: ".PLT" 1, ".DXF" 2, ".AI" and
// ".EPS" 3 (any case); 0 for any other extension.
int DrawingKindOf(const QString &fileName);

// The numbered files of a folder for a serial cut: the files matching
// "*" + extension (any case), each under the number its name begins with.
// Files without leading digits, and numbers above 9999, are left out; of two
// files with the same number the later in name order wins.
std::map<int, QString> NumberedFiles(const QString &folder, const QString &extension);

// The number a file name begins with, or -1 (no digits, or above 9999).
int LeadingFileNumber(const QString &fileName);

// The open dialog's filter: pairs of description and patterns.
struct TFileFilter
{
    QString description;
    QStringList patterns;
};
QList<TFileFilter> OpenDialogFilters();

struct TOpenedProject
{
    int window = -1; // the host's handle; -1 when the window closed itself
    int figureCount = 0;
    bool loaded() const { return window >= 0 && figureCount > 0; }
};

class IProjectOpenHost
{
public:
    virtual ~IProjectOpenHost() = default;

    virtual int ProjectCount() const = 0;
    virtual void CloseAllClick() = 0;
    // A new project window with the drawing kind and pass number, loaded with
    // the pen filter (255 every pen). A window that cannot load its drawing
    // has shown why and closed itself.
    virtual TOpenedProject OpenProject(const QString &fileName, int drawingKind, int passNumber,
                                       std::uint8_t penFilter)
        = 0;
    virtual void SetCaption(int window, const QString &caption) = 0;
    // An empty window that only carries a caption and a file name.
    virtual int CreateEmptyProject(const QString &caption, const QString &fileName) = 0;
    // Merges the front and back windows into the merged one and closes them
    // (independent cut); they stay open when their profiles do not pair.
    virtual void BuildMixedProject(int front, int back, int mix) = 0;
    // Brings the window to the front.
    virtual void ShowProject(int window) = 0;
    virtual void TileWindows() = 0;

    // The open dialog; an empty result when it was cancelled. It starts on
    // the filter numbered filterIndex (from 1) and leaves the chosen one there.
    virtual QString AskForDrawing(const QString &folder, const QString &title,
                                  const QList<TFileFilter> &filters, int &filterIndex)
        = 0;
    // The open-dialog folder and filter of the global configuration record.
    virtual QString OpenFolder() const = 0;
    virtual void RememberOpenFolder(const QString &folder) = 0;
    virtual int OpenFilterIndex() const = 0;
    virtual void RememberOpenFilterIndex(int filterIndex) = 0;
    // Captions of the control panel's arm check boxes.
    virtual QString ArmCaption(bool side) const = 0;
    virtual int CuttingMode() const = 0;
};

class TDrawingOpener
{
public:
    explicit TDrawingOpener(IProjectOpenHost &host)
        : m_host(host)
    { }

    // An empty file name asks for one in the open dialog, starting in the
    // initial folder. With rememberFolder the folder of the opened file
    // becomes the open-dialog folder of the configuration record.
    void OpenFile(const QString &initialFolder, const QString &fileName, bool rememberFolder);
    void FileOpenItemClick();

    // The folder of the last serial cut opened.
    const QString &lastFolder() const { return m_lastFolder; }

private:
    void OpenOne(const QString &fileName, int kind, bool rememberFolder);
    void OpenIndependent(const QString &fileName, int kind, bool rememberFolder);
    void OpenPerpendicular(const QString &fileName, int kind, bool rememberFolder);
    void OpenSerial(const QString &fileName, int kind, bool rememberFolder);
    void Remember(const QString &fileName, bool rememberFolder);

    IProjectOpenHost &m_host;
    QString m_lastFolder;
    int m_frontWindow = -1;
};

// Opens a document with the desktop's viewer; false when nothing could.
using TShellOpen = std::function<bool(const QString &path)>;

// The manual and the catalogue, when they are installed; otherwise, or when
// no viewer opens them, a message says why.
void OpenManual(const DocumentPlace &place, const TShellOpen &shellOpen);
void OpenCatalogue(const DocumentPlace &place, const TShellOpen &shellOpen);
// The open dialog in the samples folder (not remembered as the open folder).
void OpenSamples(const DocumentPlace &place, TDrawingOpener &opener);
