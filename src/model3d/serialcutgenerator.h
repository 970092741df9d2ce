#pragma once

#include "model3d/contourtracer.h"
#include "model3d/modelloader.h"
#include "model3d/serialcut.h"
#include "model3d/silhouetteworkers.h"

#include <QObject>

#include <functional>
#include <memory>

// Which controls of the serial-cut window can be used, and whether the view ignores the mouse
// (busy) and still shows the model its steps turn (drawn).
struct TGenSerControls
{
    bool fileButton = true;
    bool stepCount = true;
    bool generate = false;
    bool modelInfo = false;
    bool viewBusy = true;
    bool viewDrawn = false;
    bool operator==(const TGenSerControls &) const = default;
};

// What the generator asks of its window and of the program's project windows.
class ISerialCutWindow
{
public:
    virtual ~ISerialCutWindow() = default;

    virtual void applyControls(const TGenSerControls &controls) = 0;
    // Panel 0: the reading; panel 1: the step being made.
    virtual void setStatus(int panel, const QString &text) = 0;
    virtual void showFileName(const QString &fileName) = 0;
    // The progress bar: shown with its maximum, moved on, hidden (maximum < 0).
    virtual void setProgress(int value, int maximum) = 0;

    virtual void showModel(const ModelHandle &model) = 0;
    virtual void resetView() = 0;
    // Turns the shown model as a horizontal drag by dx pixels would, and draws it.
    virtual void turnView(int dx) = 0;

    // The model file to read; empty when the choice was cancelled.
    virtual QString askForModelFile(const QString &title, const QString &folder, const QString &filter) = 0;
    // With a beep, the question whether to go on with several figures.
    virtual bool askToContinue(const QString &text) = 0;
    virtual void showModelInfo(const TModel &record) = 0;
    virtual void closeWindow() = 0;

    virtual void closeAllProjects() = 0;
    // A project window for a step; it is planned by planStepProject.
    virtual int createStepProject(const QString &caption, TProjectDocument document) = 0;
    // Plans it with the flat planner here and now: no key or click can stop it.
    virtual void planStepProject(int handle) = 0;
    virtual void tileProjects() = 0;
    // The cut is complete: the cutting mode becomes serial cutting, and the job is to cut the
    // model off its base after the last pass or not.
    virtual void serialCutReady(bool cutOffAtEnd) = 0;
};

// What the generator reads of the program when it needs it.
struct TSerialCutContext
{
    std::function<TProjectSettings()> projectSettings;
    std::function<double()> tableHeight; // Ystolika, mm
    std::function<int()> lengthUnit; // radiounit
    std::function<QString()> openFolder; // the global record's open folder, else the program's
    std::function<void(const QString &)> rememberOpenFolder;
    // The program-wide model record's file name (the serial save proposes it).
    std::function<void(const QString &)> modelNamed;
};

// The serial-cut generator: chooses and reads a model, and turns its silhouettes, step by
// step about the vertical axis over half a turn, into the project windows of a serial cut.
//
// Silhouettes are rasterised on worker threads all at once; the grids are traced and become
// projects here, on the owner's thread, strictly in step order, so the contours equal those
// of a step-by-step run (the tracer's last direction carries over from step to step).
class TSerialCutGenerator : public QObject
{
    Q_OBJECT
public:
    TSerialCutGenerator(ISerialCutWindow &window, TSerialCutContext context, QObject *parent = nullptr);
    ~TSerialCutGenerator() override;

    // The window's options.
    void setStepCount(int steps) { m_stepCount = steps; }
    int stepCount() const { return m_stepCount; }
    void setCutOffAtEnd(bool on) { m_cutOffAtEnd = on; }
    void setCloseWhenDone(bool on) { m_closeWhenDone = on; }
    void setKeepClosedContours(bool on) { m_keepClosed = on; }

    // F3, the file button and the double-clicks; refused while a model loads or steps run.
    void ChooseModelFile();
    void LoadModel(const QString &fileName);
    void btnGenerujClick();
    // Stops a generation, or closes the window when none runs.
    void btnAnulujClick();
    void btnModelInfoClick();
    // Whether the window may close now; a load is stopped and waited for first.
    bool canClose();

    const TGenSerControls &controls() const { return m_controls; }
    bool loading() const { return m_loader.isRunning(); }
    // A generation runs, or its workers are still ending after a Cancel.
    bool generating() const { return m_running || m_workers.busy(); }
    const ModelHandle &model() const { return m_model; }
    const TModel &record() const { return m_record; }
    int stepCounter() const { return m_stepCounter; }
    double currentAngle() const { return m_currentAngle; }
    TSilhouetteWorkers &workers() { return m_workers; }

private:
    void ZakonczWatekCzytaniaRAW(const TModelReadResult &result);
    void processReadySteps();
    void ZakonczWatekRawDoPix(tpix2d grid);
    bool BuildStepProject(tpix2d &grid);
    void StartStep();
    void finishGeneration();
    void stopGeneration();
    void workersEnded();
    void setControls(TGenSerControls controls);
    TGenSerControls idleControls() const;

    ISerialCutWindow &m_window;
    TSerialCutContext m_context;
    TModelLoader m_loader;
    TSilhouetteWorkers m_workers;
    ContourTracer m_tracer;
    ModelHandle m_model;
    TModel m_record;
    TGenSerControls m_controls;
    TSilhouetteSize m_size;
    int m_stepCount = 18;
    int m_stepCounter = 1;
    double m_currentAngle = 0;
    double m_stepAngle = 0;
    bool m_running = false;
    bool m_processing = false;
    bool m_cutOffAtEnd = true;
    bool m_closeWhenDone = true;
    bool m_keepClosed = false;
    bool m_modelEmpty = true;
};
