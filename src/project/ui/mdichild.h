#pragma once

#include "app/frameinterfaces.h"
#include "project/drawingsource.h"
#include "project/painting.h"
#include "project/planningdispatch.h"
#include "project/projectdocument.h"
#include "project/projectexport.h"

#include <QMdiSubWindow>

#include <functional>
#include <memory>
#include <utility>

class QProgressBar;
class QStatusBar;
class TFlatPlanRunner;
class TMDIChild;
class TProjectView;

// What a project window takes from the program around it.
struct TProjectWindowContext
{
    // The settings and working area the project reads when it loads.
    std::function<TProjectSettings()> settings;
    // A reader for one load.
    std::function<std::unique_ptr<IDrawingSource>()> makeReader;
    // The main window's status panel 0.
    std::function<void(const QString &)> mainStatus;
    // The companion's shared memory.
    std::function<void(double widthMm, double heightMm)> writeProjectSize;
    // What painting and the simulation read; empty: the load settings with
    // the default pauses and speed.
    std::function<TPaintSettings()> paintSettings;
    // The job information window for the window clicked with the right button.
    std::function<void(TMDIChild &)> showJobInfo;

    // The machine's working area in mm (x, y).
    using TWorkArea = std::function<std::pair<std::int32_t, std::int32_t>()>;

    // The running program's: its settings, its reader, the companion's block.
    // Without a working area the default travel of the machine table is used.
    static TProjectWindowContext program(std::function<void(const QString &)> mainStatus,
                                         TWorkArea workArea = {});
};

// The project window: the MDI child that shows one project document, with
// its status bar (figure count, planner progress). It loads the drawing,
// shows what went wrong, and closes itself when the drawing cannot be loaded
// or planned; callers look at the returned outcome, never at a window that
// has closed.
class TMDIChild : public QMdiSubWindow, public IProjectWindow
{
    Q_OBJECT
public:
    explicit TMDIChild(TProjectWindowContext context, QWidget *parent = nullptr);
    ~TMDIChild() override;

    TProjectDocument &document() { return m_document; }
    const TProjectDocument &document() const { return m_document; }

    // Reads the drawing (the reader kind must be set on the document first),
    // plans it for the cutting mode, and reports how it went. On failure the
    // message has been shown and the window is closing.
    TLoadOutcome Load(const QString &fileName, std::uint8_t penFilter);
    // Takes a project a generator built and plans it as a loaded drawing is
    // planned; without `plan` it is shown as it is.
    void Adopt(TProjectDocument document, bool plan = true);
    // Plans the flat cut at once on this thread, without the worker that
    // swallows keys and clicks: for a generator's small projects, which no key
    // or click meant for the generator's own window may stop.
    void PlanHere();
    const TPlanOutcome &lastPlan() const { return m_lastPlan; }
    TProjectView *view() const { return m_view; }
    bool closing() const { return m_closing; }

    // Runs every time the window becomes active: the companion learns the size
    // of the active project.
    void TntFormActivate();

    QString statusText() const;
    // What painting, the simulation and the recorded wire path read.
    TPaintSettings PaintSettings() const;

    // The project's figures as they stand (connectors included, list order,
    // unscaled) written out as a drawing; the result carries the message to
    // show when the file could not be written.
    TSaveResult SaveAsHPGL(const QString &fileName) const;
    TSaveResult SaveAsDXF(const QString &fileName) const;

    // The flat planner runs on a worker while the window shows its progress;
    // the document changes only when it has finished.
    bool planning() const;

    // IProjectWindow
    QString caption() const override { return windowTitle(); }
    void JakiKierunek(int direction) override;
    bool planned() const override { return m_document.Planned && !planning(); }
    void ciecie() override;
    void ciecie_obrotowe() override;
    void repaintProject() override;
    int passNumber() const override { return m_document.PassNumber; }
    int xFeedSign() const override { return m_document.FeedSign; }
    void setXFeedSign(int sign) override { m_document.FeedSign = sign < 0 ? -1 : 1; }
    void setFeedSigns(int sign) override
    {
        m_document.FeedSign = sign < 0 ? -1 : 1;
        m_document.SerialFeedSign = m_document.FeedSign;
    }
    void simulate() override;
    bool holdsPairedProfiles() const override { return m_document.PairedProfiles; }
    void invalidate() override;

signals:
    // A flat plan on the worker has ended (finished, stuck or stopped).
    void planFinished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Plan(TPlannerKind kind);
    void RunPlan(TPlannerKind kind);
    void StartFlatPlan();
    void FinishFlatPlan();
    void ShowPlanOutcome();
    void ShowLoadSummary();
    void CloseSelf();
    void WriteSharedSize();

    TProjectWindowContext m_context;
    TProjectDocument m_document;
    TPlanOutcome m_lastPlan;
    TProjectView *m_view = nullptr;
    QStatusBar *m_statusBar = nullptr;
    // The planner's progress, shown while it runs.
    QProgressBar *m_planProgress = nullptr;
    // How many figures loading left out; empty when none.
    QString m_droppedText;
    bool m_closing = false;
    // Last, so that a running plan is stopped before anything else goes.
    std::unique_ptr<TFlatPlanRunner> m_planRunner;
};
