#include "project/ui/mdichild.h"

#include "app/language.h"
#include "app/messages.h"
#include "app/settings.h"
#include "job/ipcslave.h"
#include "project/programsettings.h"
#include "project/ui/planrunner.h"
#include "project/ui/projectview.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyleOption>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

QString Text(const TMessageKey &key)
{
    return GetText(QString::fromStdString(key.section), QString::fromStdString(key.key));
}

// The hourglass for the length of a scope, given back on every way out.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// A status bar whose message wraps onto as many lines as the window's width
// needs: a status bar draws its message on one line, cut off at the edge,
// and a stopped plan's notice is longer than the window is wide at first.
class TWrappingStatusBar final : public QStatusBar
{
public:
    explicit TWrappingStatusBar(QWidget *parent)
        : QStatusBar(parent)
        , m_text(new QLabel(this))
    {
        m_text->setObjectName(QStringLiteral("StatusText"));
        m_text->setWordWrap(true);
        m_text->setTextFormat(Qt::PlainText);
        // Permanent, so that a message does not hide it; first, so that it
        // takes the room the progress bar leaves.
        addPermanentWidget(m_text, 1);
        connect(this, &QStatusBar::messageChanged, m_text, &QLabel::setText);
    }

protected:
    // The panel alone: the label shows the message.
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    }

private:
    QLabel *m_text;
};

} // namespace

TProjectWindowContext TProjectWindowContext::program(std::function<void(const QString &)> mainStatus,
                                                     TWorkArea workArea)
{
    TProjectWindowContext context;
    context.settings = [workArea = std::move(workArea)] {
        const TProjectSettings defaults;
        const auto [limitX, limitY] = workArea ? workArea() : std::pair(defaults.limitX, defaults.limitY);
        return ProjectSettingsFrom(Settings::current(), ProgramValues::current(), limitX, limitY);
    };
    context.makeReader = []() -> std::unique_ptr<IDrawingSource> {
        return std::make_unique<THpglSource>(
            ReaderOptionsFrom(Settings::current(), ProgramValues::current()));
    };
    context.mainStatus = std::move(mainStatus);
    context.writeProjectSize = [](double width, double height) { WriteProjectSize(width, height); };
    context.paintSettings = [] { return PaintSettingsFrom(Settings::current()); };
    return context;
}

TMDIChild::TMDIChild(TProjectWindowContext context, QWidget *parent)
    : QMdiSubWindow(parent)
    , m_context(std::move(context))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("MDIplt"));
    setWindowTitle(QStringLiteral("MDIplt"));
    resize(424, 182);
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_statusBar = new TWrappingStatusBar(body);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_view = new TProjectView(
        m_document, m_statusBar, [this] { return PaintSettings(); }, body);
    m_view->setJobInfoHandler([this] {
        if (m_context.showJobInfo)
            m_context.showJobInfo(*this);
    });
    layout->addWidget(m_view, 1);
    layout->addWidget(m_statusBar);
    setWidget(body);
    if (tInterfejs::instance().rightToLeft())
        setLayoutDirection(Qt::RightToLeft);
    connect(this, &QMdiSubWindow::aboutToActivate, this, &TMDIChild::TntFormActivate);

    m_planProgress = new QProgressBar(m_statusBar);
    m_planProgress->setObjectName(QStringLiteral("PlanProgress"));
    m_planProgress->setRange(0, 100);
    m_planProgress->setMaximumWidth(120);
    m_statusBar->addPermanentWidget(m_planProgress);
    m_planProgress->hide();

    m_planRunner = std::make_unique<TFlatPlanRunner>();
    connect(m_planRunner.get(), &TFlatPlanRunner::progress, this, [this](int percent) {
        m_statusBar->showMessage(QStringLiteral("Ready ") + QString::number(percent) + QStringLiteral("%"));
        m_planProgress->setValue(percent);
    });
    connect(m_planRunner.get(), &TFlatPlanRunner::finished, this, &TMDIChild::FinishFlatPlan);
}

TMDIChild::~TMDIChild()
{
    if (m_planRunner->running())
        QGuiApplication::restoreOverrideCursor();
}

TSaveResult TMDIChild::SaveAsHPGL(const QString &fileName) const
{
    return SaveFiguresAsHpgl(m_document.Figures, fileName);
}

TSaveResult TMDIChild::SaveAsDXF(const QString &fileName) const
{
    return SaveFiguresAsDxf(m_document.Figures, fileName);
}

QString TMDIChild::statusText() const
{
    return m_statusBar->currentMessage();
}

TLoadOutcome TMDIChild::Load(const QString &fileName, std::uint8_t penFilter)
{
    if (m_context.mainStatus)
        m_context.mainStatus(QStringLiteral("Open file ") + fileName);
    setWindowTitle(fileName);
    TLoadOutcome outcome;
    {
        BusyCursor busy;
        std::unique_ptr<IDrawingSource> reader = m_context.makeReader();
        outcome = m_document.Load(*reader, fileName.toStdString(), penFilter, m_context.settings());
    }
    if (outcome.closesWindow()) {
        if (m_context.mainStatus)
            m_context.mainStatus(QString());
        QString text = Text(outcome.message);
        if (outcome.messageNamesFile)
            text += fileName;
        if (outcome.status == TLoadStatus::ReadFailed) {
            QString value = QString::fromStdString(outcome.errorText);
            if (!outcome.errorWhat.empty())
                value = GetText(QStringLiteral("Project_window"), QString::fromStdString(outcome.errorWhat))
                    + (value.isEmpty() ? QString() : QStringLiteral(" ") + value);
            if (outcome.errorLine > 0)
                text += QLatin1Char('\n')
                    + GetText(QStringLiteral("Project_window"), QStringLiteral("wierszRysunku"))
                    + QString::number(outcome.errorLine) + QStringLiteral(": ") + value;
            else if (!value.isEmpty())
                text += QLatin1Char('\n') + value;
        }
        ShowMsg(text, true, outcome.caption.empty() ? QString() : Text(outcome.caption));
        CloseSelf();
        return outcome;
    }
    m_droppedText.clear();
    if (outcome.droppedFigures > 0)
        m_droppedText = GetText(QStringLiteral("Project_window"), QStringLiteral("pominieteFigury"))
            + QString::number(outcome.droppedFigures);
    QString status = GetText(QStringLiteral("Project_window"), QStringLiteral("iloscFigur"))
        + QString::number(m_document.Figures.size());
    if (!m_droppedText.isEmpty())
        status += QStringLiteral("   ") + m_droppedText;
    m_statusBar->showMessage(status);
    if (m_context.mainStatus)
        m_context.mainStatus(QString());
    if (outcome.tooLarge)
        ShowMsg(Text(outcome.message), true);
    WriteSharedSize();
    const TProjectSettings &settings = m_document.settings();
    RunPlan(PlannerForMode(settings.Mode, settings.StolikSwitch));
    return outcome;
}

void TMDIChild::Adopt(TProjectDocument document, bool plan)
{
    m_document = std::move(document);
    m_statusBar->showMessage(GetText(QStringLiteral("Project_window"), QStringLiteral("iloscFigur"))
                             + QString::number(m_document.Figures.size()));
    WriteSharedSize();
    if (plan)
        ciecie();
    else
        m_view->invalidatePicture();
}

void TMDIChild::PlanHere()
{
    if (planning())
        return;
    m_document.setSettings(m_context.settings());
    {
        BusyCursor busy;
        m_lastPlan = ::ciecie(m_document, TPlanControl {});
    }
    if (m_lastPlan.status != TPlanStatus::Cancelled)
        m_statusBar->clearMessage();
    ShowPlanOutcome();
    m_view->invalidatePicture();
}

void TMDIChild::ShowPlanOutcome()
{
    if (!m_lastPlan.warning.empty())
        ShowMsg(Text(m_lastPlan.warning), true);
    if (m_lastPlan.status == TPlanStatus::Stuck)
        ShowMsg(Text(m_lastPlan.message) + QString::number(m_lastPlan.unjoinedFigures), false);
    else if (!m_lastPlan.message.empty())
        ShowMsg(Text(m_lastPlan.message), m_lastPlan.closesWindow());
    if (m_lastPlan.closesWindow())
        CloseSelf();
}

void TMDIChild::closeEvent(QCloseEvent *event)
{
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        m_closing = true;
}

void TMDIChild::Plan(TPlannerKind kind)
{
    // The settings may have changed since the load.
    m_document.setSettings(m_context.settings());
    RunPlan(kind);
}

void TMDIChild::RunPlan(TPlannerKind kind)
{
    if (kind == TPlannerKind::Flat) {
        StartFlatPlan();
        return;
    }
    // The rotary and turning planners are linear in the points: they run
    // here, under the hourglass.
    {
        BusyCursor busy;
        m_lastPlan = RunPlanner(m_document, kind, TPlanControl {});
    }
    if (m_lastPlan.status == TPlanStatus::Planned) {
        ShowLoadSummary();
        if (m_context.mainStatus)
            m_context.mainStatus(QString());
    }
    ShowPlanOutcome();
    m_view->invalidatePicture();
}

bool TMDIChild::planning() const
{
    return m_planRunner->running();
}

void TMDIChild::StartFlatPlan()
{
    if (m_planRunner->running())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_planProgress->setValue(0);
    m_planProgress->show();
    m_planRunner->start(FlatPlanJob::From(m_document));
}

void TMDIChild::FinishFlatPlan()
{
    QGuiApplication::restoreOverrideCursor();
    m_planProgress->hide();
    FlatPlanJob job = m_planRunner->takeJob();
    m_lastPlan = job.Apply(m_document);
    // A stopped plan says so: its red drawing is not a plan that hangs, and
    // closing the configuration dialog plans it again.
    if (m_lastPlan.status == TPlanStatus::Cancelled)
        m_statusBar->showMessage(
            GetText(QStringLiteral("Project_window"), QStringLiteral("planowaniePrzerwane")));
    else
        ShowLoadSummary();
    ShowPlanOutcome();
    m_view->invalidatePicture();
    emit planFinished();
}

void TMDIChild::ShowLoadSummary()
{
    // A finished plan empties the status text, unless loading left figures
    // out: the operator should know before cutting.
    if (m_droppedText.isEmpty())
        m_statusBar->clearMessage();
    else
        m_statusBar->showMessage(m_droppedText);
}

void TMDIChild::CloseSelf()
{
    m_closing = true;
    close();
}

void TMDIChild::WriteSharedSize()
{
    if (!m_context.writeProjectSize)
        return;
    const TProjectSizeMm size = m_document.ScaledSizeMm();
    m_context.writeProjectSize(size.width, size.height);
}

void TMDIChild::TntFormActivate()
{
    if (m_closing)
        return;
    m_document.setSettings(m_context.settings());
    WriteSharedSize();
}

void TMDIChild::JakiKierunek(int direction)
{
    (void)direction;
}

void TMDIChild::ciecie()
{
    Plan(TPlannerKind::Flat);
}

void TMDIChild::ciecie_obrotowe()
{
    Plan(TPlannerKind::Rotary);
}

void TMDIChild::repaintProject()
{
    m_view->invalidatePicture();
}

void TMDIChild::simulate()
{
    // The animation is computed now and then played by the view's timer.
    m_document.Simulation = true;
    m_view->startSimulation();
    m_document.Simulation = false;
}

TPaintSettings TMDIChild::PaintSettings() const
{
    if (m_context.paintSettings)
        return m_context.paintSettings();
    TPaintSettings paint;
    if (m_context.settings) {
        const TProjectSettings s = m_context.settings();
        paint.Mode = s.Mode;
        paint.StolikSwitch = s.StolikSwitch;
        paint.CatDir = s.CatDir;
        paint.cbKrzyzToPunkt = s.cbKrzyzToPunkt;
    }
    return paint;
}

void TMDIChild::invalidate()
{
    m_view->invalidatePicture();
}
