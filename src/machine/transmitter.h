#pragma once

#include "machine/machineclock.h"
#include "machine/ploter.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// What the status bar shows while a job streams: the "Transmission" text
// `key`, then (for "przeslano", and "wstrzymano" while the controller holds
// the job paused) the percentage and the spinner sign.
struct TransmitStatus
{
    QString key;
    int percent = 0;
    QString spinner; // empty while the controller's buffer is full
};

// Streams the job file to the controller, tick by tick (TTransArm). Each
// tick reads the status, waits while the controller's buffer is full, and
// otherwise sends a batch of whole commands in file order; "G" follows the
// 17th command of the job. A tick is bounded in time so that the panel's
// polling and the user's jogging reach the controller between batches.
class TTransArm
{
public:
    using StatusHandler = std::function<void(const TransmitStatus &)>;

    TTransArm(Ploter &ploter, MachineClock &clock);

    void setStatusHandler(StatusHandler handler) { m_statusHandler = std::move(handler); }
    // Longest time one batch may take, ms.
    void setBatchBudgetMs(std::int64_t ms) { m_batchBudgetMs = ms; }

    // Opens the job file; false (nothing sent) when it cannot be opened.
    // The job streams on the link's current connection, or on the one given
    // (the connection its start began on): once that connection is gone,
    // even if the machine is back by the next tick, it stops with one
    // message and nothing resumes by itself.
    bool start(const QString &path, std::optional<std::uint64_t> connection = std::nullopt);
    void stop();
    bool running() const { return m_running; }

    // One tick; returns the interval until the next one, ms.
    int tick();
    int interval() const { return m_interval; }

    std::int64_t sentCount() const { return m_sentCount; }
    std::int64_t fileSize() const { return m_fileSize; }
    int percent() const;
    // Why the last transmission ended early (empty key: it did not).
    const MachineMessage &failure() const { return m_failure; }

private:
    enum class ReadResult { Command, End, Corrupt };
    ReadResult readCommand();
    void fail(const QString &section, const QString &key, const QString &suffix = {});
    void showStatus(const QString &key, bool withSpinner);

    Ploter &m_ploter;
    MachineClock &m_clock;
    QFile m_file;
    bool m_running = false;
    int m_interval = 1;
    std::int64_t m_sentCount = 0;
    std::int64_t m_fileSize = 0;
    QByteArray m_command;
    int m_spinner = 0;
    std::int64_t m_batchBudgetMs = 20;
    MachineMessage m_failure;
    std::uint64_t m_connection = 0;
    StatusHandler m_statusHandler;
};
