#pragma once

#include "app/frameinterfaces.h"
#include "app/mainframe.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

// Stand-ins for the windows and links the main window talks to. They record
// what the frame asked of them; none of them does the real work.

class StubProjectWindow : public QWidget, public IProjectWindow
{
public:
    explicit StubProjectWindow(QString caption, QStringList *log = nullptr)
        : m_caption(std::move(caption))
        , m_log(log)
    {
        setWindowTitle(m_caption);
    }

    QString caption() const override { return m_caption; }
    void JakiKierunek(int direction) override { record(QStringLiteral("JakiKierunek(%1)").arg(direction)); }
    bool planned() const override { return isPlanned; }
    void ciecie() override { record(QStringLiteral("ciecie")); }
    void ciecie_obrotowe() override { record(QStringLiteral("ciecie_obrotowe")); }
    void repaintProject() override { record(QStringLiteral("repaint")); }
    int passNumber() const override { return pass; }
    int xFeedSign() const override { return feedSign; }
    void setXFeedSign(int sign) override { feedSign = sign; }
    void setFeedSigns(int sign) override
    {
        feedSign = sign;
        serialFeedSign = sign;
    }
    void simulate() override { record(QStringLiteral("simulate %1").arg(feedSign)); }
    bool holdsPairedProfiles() const override { return paired; }
    void invalidate() override { record(QStringLiteral("invalidate")); }

    bool isPlanned = false;
    int pass = 1;
    int feedSign = 1;
    int serialFeedSign = 1;
    bool paired = false;

private:
    void record(const QString &what)
    {
        if (m_log)
            m_log->append(m_caption + QLatin1Char(' ') + what);
    }

    QString m_caption;
    QStringList *m_log;
};

class FakeTransmitter : public ITransmitter
{
public:
    bool running() const override { return isRunning; }
    bool paused() const override { return isPaused; }
    void stop() override
    {
        ++stops;
        isRunning = false;
    }
    bool isRunning = false;
    bool isPaused = false;
    int stops = 0;
};

class FakeConfigurationDialog : public IConfigurationDialog
{
public:
    void execModal() override
    {
        ++shown;
        rotationClickedWhenShown = rotationClicked;
        if (onExec)
            onExec(*this);
    }
    bool modeChanged() const override { return modeChangedFlag; }
    bool powerOutputChanged() const override { return powerChangedFlag; }
    void clearPowerOutputChanged() override { powerChangedFlag = false; }
    bool rotationSettingsClicked() const override { return rotationClicked; }
    void clearRotationSettingsClicked() override { rotationClicked = false; }

    std::function<void(FakeConfigurationDialog &)> onExec;
    int shown = 0;
    bool modeChangedFlag = false;
    bool powerChangedFlag = false;
    bool rotationClicked = false;
    bool rotationClickedWhenShown = false;
};

class FakeMachineSettingsLink : public IMachineSettingsLink
{
public:
    Status readStatus() override
    {
        ++statusReads;
        return {isConnected, jobRunning};
    }
    bool connected() const override { return isConnected; }
    void sendPowerOutput(int itemIndex) override { sent.push_back(QStringLiteral("S4 %1").arg(itemIndex)); }
    void SendLengthUnit(int itemIndex) override { sent.push_back(QStringLiteral("S6 %1").arg(itemIndex)); }
    void reapplyHeatingPower() override { sent.push_back(QStringLiteral("heating")); }

    bool isConnected = false;
    bool jobRunning = false;
    int statusReads = 0;
    std::vector<QString> sent;
};

class FakeProjectList : public IProjectWindowList
{
public:
    std::vector<IProjectWindow *> projectWindows() const override { return windows; }
    void CloseAllClick() override
    {
        ++closeAlls;
        windows.clear();
    }
    std::vector<IProjectWindow *> windows;
    int closeAlls = 0;
};

class FakeSharedProjectSize : public ISharedProjectSize
{
public:
    void WriteProjectSize(int width, int height) override { written.emplace_back(width, height); }
    std::vector<std::pair<int, int>> written;
};

class StubDeviceLink : public IDeviceLink
{
public:
    explicit StubDeviceLink(bool *freed)
        : m_freed(freed)
    { }
    ~StubDeviceLink() override { *m_freed = true; }

private:
    bool *m_freed;
};
