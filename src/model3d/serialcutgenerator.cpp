#include "model3d/serialcutgenerator.h"

#include "app/language.h"
#include "app/messages.h"

#include <QFileInfo>

#include <utility>

namespace {

QString Text(const char *key)
{
    return GetText(QStringLiteral("SerialCutFrom3D"), QString::fromLatin1(key));
}

} // namespace

TSerialCutGenerator::TSerialCutGenerator(ISerialCutWindow &window, TSerialCutContext context, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_context(std::move(context))
{
    connect(&m_loader, &TModelLoader::finished, this, &TSerialCutGenerator::ZakonczWatekCzytaniaRAW);
    connect(&m_workers, &TSilhouetteWorkers::gridReady, this, &TSerialCutGenerator::processReadySteps);
    connect(&m_workers, &TSilhouetteWorkers::idle, this, &TSerialCutGenerator::workersEnded);
    m_controls = idleControls();
}

TSerialCutGenerator::~TSerialCutGenerator() = default;

TGenSerControls TSerialCutGenerator::idleControls() const
{
    TGenSerControls c;
    if (m_running || m_workers.busy()) {
        c = {false, false, false, !m_modelEmpty, true, true};
    } else if (loading()) {
        c = {false, m_controls.stepCount, false, false, true, false};
    } else if (m_model && !m_modelEmpty) {
        c = {true, true, true, true, false, false};
    } else {
        // A model that gave no triangle leaves nothing to count steps for.
        c = {true, !m_model && m_record.fileName.isEmpty(), false, false, true, false};
    }
    return c;
}

void TSerialCutGenerator::setControls(TGenSerControls controls)
{
    m_controls = controls;
    m_window.applyControls(controls);
}

void TSerialCutGenerator::ChooseModelFile()
{
    // Choosing closes the step windows and reads another model: never under a running load
    // or while steps are made from the model shown.
    if (loading() || generating())
        return;
    m_currentAngle = 0;
    const QString filter = GetText(QStringLiteral("Universal"), QStringLiteral("wszystkiePliki"))
        + QStringLiteral(" (*.dxf *.raw);;") + Text("plikDXF3D") + QStringLiteral(" (*.dxf);;")
        + Text("plikRhino") + QStringLiteral(" (*.raw)");
    QString folder = m_context.openFolder ? m_context.openFolder() : QString();
    const QString file = m_window.askForModelFile(Text("wybierzPlikModelu"), folder, filter);
    if (file.isEmpty())
        return;
    m_window.closeAllProjects();
    LoadModel(file);
    if (m_context.rememberOpenFolder)
        m_context.rememberOpenFolder(QFileInfo(file).absolutePath());
}

void TSerialCutGenerator::LoadModel(const QString &fileName)
{
    if (loading() || generating())
        return;
    if (!QFileInfo::exists(fileName)) {
        ShowMsg(GetText(QStringLiteral("Universal"), QStringLiteral("txtPlikuBrak")) + QLatin1Char('\n')
                    + fileName,
                true);
        m_record.fileName.clear();
        if (m_context.modelNamed)
            m_context.modelNamed(QString());
        return;
    }
    m_record = TModel {};
    m_record.fileName = fileName;
    if (m_context.modelNamed)
        m_context.modelNamed(fileName);
    m_window.showFileName(fileName);
    m_window.setStatus(0, Text("odczytRAWtrwa"));
    // The view lets go of the model it showed; the new one comes with the hand-back.
    m_model.reset();
    m_modelEmpty = true;
    m_window.showModel(nullptr);
    m_loader.start(fileName, m_context.lengthUnit ? m_context.lengthUnit() : 0);
    setControls(idleControls());
}

void TSerialCutGenerator::ZakonczWatekCzytaniaRAW(const TModelReadResult &result)
{
    m_stepCounter = 1;
    m_window.setStatus(0, Text("importRAWzakonczony"));
    m_model = result.model;
    m_modelEmpty = !m_model || m_model->isEmpty();
    if (m_model)
        m_record.box = m_model->model.box;
    m_window.showModel(m_model);
    setControls(idleControls());
    if (!m_modelEmpty)
        return;
    const QString text = result.text();
    ShowMsg(text.isEmpty() ? GetText(QStringLiteral("Project_window"), QStringLiteral("zbiorPusty")) : text,
            true);
}

void TSerialCutGenerator::btnGenerujClick()
{
    if (!m_model || m_modelEmpty || loading() || generating())
        return;
    const TProjectSettings settings
        = m_context.projectSettings ? m_context.projectSettings() : TProjectSettings {};
    TSerialCutLimits limits;
    limits.skala = settings.skala;
    limits.Ystolika = m_context.tableHeight ? m_context.tableHeight() : limits.Ystolika;
    limits.limitX = settings.limitX;
    limits.limitY = settings.limitY;
    if (const QString refused = CheckModelSize(*m_model, limits); !refused.isEmpty()) {
        ShowMsg(refused, true);
        return;
    }
    m_size = SilhouetteSizeFor(*m_model, SilhouettePixelSize);
    if (m_size.cells() > MaxSilhouetteCells) {
        ShowMsg(Text("siatkaZaDuza"), true);
        return;
    }
    m_running = true;
    setControls(idleControls());
    m_window.setProgress(0, m_stepCount);
    // Every run starts again at 0 degrees. Going on from the step counter of a finished run
    // with a larger step count would add passes at the new step angle after those of the old
    // one, a series that carves nothing like the model.
    m_window.resetView();
    m_window.closeAllProjects();
    m_stepCounter = 1;
    m_currentAngle = 0;
    // The steps cover half a turn: each silhouette is cut on both sides of the model.
    m_stepAngle = 180.0 / m_stepCount;
    m_workers.start(m_model, StepAngles(m_currentAngle, m_stepCounter, m_stepCount, m_stepAngle), m_size,
                    SilhouettePixelSize);
    StartStep();
}

void TSerialCutGenerator::StartStep()
{
    m_window.setStatus(1, QStringLiteral("[") + StepAngleText(m_currentAngle) + QStringLiteral(" st]"));
}

void TSerialCutGenerator::processReadySteps()
{
    // A question about a step's figures lets later grids arrive meanwhile; they wait their turn.
    if (m_processing)
        return;
    m_processing = true;
    while (m_running) {
        std::optional<tpix2d> grid = m_workers.takeNext();
        if (!grid)
            break;
        ZakonczWatekRawDoPix(std::move(*grid));
    }
    m_processing = false;
}

void TSerialCutGenerator::ZakonczWatekRawDoPix(tpix2d grid)
{
    m_window.setStatus(0, QString());
    m_window.setStatus(1, QString());
    if (!m_running)
        return;
    if (!BuildStepProject(grid))
        return;
    m_window.turnView(StepViewTurn(m_stepAngle));
    if (m_stepCounter == m_stepCount)
        m_window.tileProjects();
    m_currentAngle += m_stepAngle;
    ++m_stepCounter;
    m_window.setProgress(m_stepCounter - 1, m_stepCount);
    if (m_stepCounter > m_stepCount)
        finishGeneration();
    else
        StartStep();
}

bool TSerialCutGenerator::BuildStepProject(tpix2d &grid)
{
    std::vector<tfigura> figures = StepFigures(StepContours(m_tracer, grid), m_keepClosed);
    if (figures.empty()) {
        // Nothing to cut at this angle (an empty silhouette, or only closed contours): the
        // serial cut would lack a pass, so it stops here.
        const double angle = m_currentAngle;
        stopGeneration();
        ShowMsg(Text("brakKonturu").arg(StepAngleText(angle)), true);
        return false;
    }
    const std::size_t count = figures.size();
    const TProjectSettings settings
        = m_context.projectSettings ? m_context.projectSettings() : TProjectSettings {};
    const int handle
        = m_window.createStepProject(StepCaption(m_record.fileName, m_currentAngle),
                                     MakeStepDocument(std::move(figures), settings, m_stepCounter));
    if (count > 1
        && !m_window.askToContinue(Text("wieleFigur") + QLatin1Char('\n') + Text("czyKontynuowac"))) {
        stopGeneration();
        return false;
    }
    m_window.planStepProject(handle);
    return true;
}

void TSerialCutGenerator::finishGeneration()
{
    m_running = false;
    m_window.setProgress(0, -1);
    setControls(idleControls());
    m_window.serialCutReady(m_cutOffAtEnd);
    if (m_closeWhenDone)
        m_window.closeWindow();
}

void TSerialCutGenerator::stopGeneration()
{
    m_running = false;
    m_workers.cancel();
    m_window.setProgress(0, m_stepCount);
    // The step that was being waited for will never end: its angle goes from the status bar.
    m_window.setStatus(0, QString());
    m_window.setStatus(1, QString());
    m_window.resetView();
    m_window.closeAllProjects();
    m_stepCounter = 1;
    m_currentAngle = 0;
    // The controls stay as they are until the last worker has ended.
    setControls(idleControls());
}

void TSerialCutGenerator::workersEnded()
{
    if (!m_running)
        setControls(idleControls());
}

void TSerialCutGenerator::btnAnulujClick()
{
    if (m_running) {
        stopGeneration();
        return;
    }
    // Workers of a stopped generation still ending: the Cancel already happened.
    if (m_workers.busy())
        return;
    m_window.closeWindow();
}

void TSerialCutGenerator::btnModelInfoClick()
{
    if (!m_record.fileName.isEmpty() && m_model)
        m_window.showModelInfo(m_record);
}

bool TSerialCutGenerator::canClose()
{
    if (generating()) {
        ShowMsg(Text("zakonczGenPlikowWy"), false);
        return false;
    }
    // The reader's hand-back must never reach a window that is gone.
    m_loader.cancel();
    return true;
}
