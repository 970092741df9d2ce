#include "machine/transmitter.h"

#include "drawing/jobformat.h"

#include <cmath>

namespace {
const QString kTransmission = QStringLiteral("Transmission");
// Commands at most in one tick; the first 17 fill the controller's queue
// before "G" lets it start.
constexpr int kBatchLimit = 100;
constexpr std::int64_t kCommandsBeforeGo = 17;
constexpr int kFullBufferWaitMs = 50;
constexpr int kBatchRunningInterval = 1000;
const char *const kSpinner[4] = {"--", "\\", "|", "/"};
} // namespace

TTransArm::TTransArm(Ploter &ploter, MachineClock &clock)
    : m_ploter(ploter)
    , m_clock(clock)
{
    m_command.reserve(16);
}

bool TTransArm::start(const QString &path, std::optional<std::uint64_t> connection)
{
    stop();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    m_fileSize = m_file.size();
    m_sentCount = 0;
    m_spinner = 0;
    m_interval = 1;
    m_failure = {};
    m_connection = connection.value_or(m_ploter.link().connectionCount());
    m_running = true;
    return true;
}

void TTransArm::stop()
{
    if (!m_running)
        return;
    showStatus(QStringLiteral("koniecTransmisji"), false);
    m_running = false;
    m_file.close();
}

int TTransArm::percent() const
{
    if (m_fileSize <= 0)
        return 100;
    return static_cast<int>(std::nearbyint(static_cast<long double>(m_file.pos()) * 100 / m_fileSize));
}

void TTransArm::showStatus(const QString &key, bool withSpinner)
{
    if (m_statusHandler)
        m_statusHandler({key, percent(), withSpinner ? QString::fromLatin1(kSpinner[m_spinner]) : QString()});
}

void TTransArm::fail(const QString &section, const QString &key, const QString &suffix)
{
    m_failure = MachineMessage::of(section, key, suffix);
    m_failure.detailSection = kTransmission;
    m_failure.detailKey = QStringLiteral("przerwanoPo");
    m_failure.detailArgs = {QString::number(m_sentCount), QString::number(percent())};
    stop();
    m_ploter.showMessage(m_failure);
}

TTransArm::ReadResult TTransArm::readCommand()
{
    char letter = 0;
    if (!m_file.getChar(&letter))
        return ReadResult::End;
    const std::optional<int> length = commandLength(static_cast<std::uint8_t>(letter), m_ploter.IsNewProtocol());
    if (!length)
        return ReadResult::Corrupt;
    m_command.resize(std::max(1, *length));
    m_command[0] = letter;
    if (*length > 1 && m_file.read(m_command.data() + 1, *length - 1) != *length - 1)
        return ReadResult::Corrupt; // cut short by the end of the file
    return ReadResult::Command;
}

int TTransArm::tick()
{
    if (!m_running)
        return m_interval;
    if (m_file.atEnd()) {
        stop();
        return m_interval;
    }
    // A cable pulled and plugged back between two ticks: the controller
    // may have restarted and holds no job; nothing more of it is sent.
    if (m_ploter.link().connectionCount() != m_connection) {
        fail(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci"));
        return m_interval;
    }
    if (!m_ploter.ReadStatus()) {
        if (!m_ploter.link().connected())
            fail(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci"));
        return m_interval; // a garbled reply: ask again next tick
    }
    // A paused job says so, not only how much of it went out.
    const QString progress = m_ploter.plot().has(StatusFlag::JobPaused) ? QStringLiteral("wstrzymano")
                                                                        : QStringLiteral("przeslano");
    if (m_ploter.plot().has(StatusFlag::BufferFull)) {
        m_interval = kFullBufferWaitMs;
        showStatus(progress, false);
        return m_interval;
    }

    m_interval = kBatchRunningInterval;
    const std::int64_t batchStart = m_clock.nowMs();
    for (int inTick = 0; inTick < kBatchLimit && !m_file.atEnd(); ++inTick) {
        if (inTick > 0 && m_clock.nowMs() - batchStart >= m_batchBudgetMs)
            break; // the rest in the next tick, so nothing else waits long
        const qint64 at = m_file.pos();
        const ReadResult read = readCommand();
        if (read == ReadResult::End)
            break;
        if (read == ReadResult::Corrupt) {
            // Nothing of a broken command reaches the controller.
            m_file.seek(at);
            fail(kTransmission, QStringLiteral("uszkodzonyPlikZadania"));
            return m_interval;
        }
        // A lost command would shift every later relative move: stop at
        // the first failed write.
        const int result = m_ploter.link().Write(m_command.constData(), static_cast<int>(m_command.size()));
        if (result != 0) {
            m_file.seek(at);
            fail(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci"), QString::number(result));
            return m_interval;
        }
        ++m_sentCount;
        if (m_sentCount == kCommandsBeforeGo) {
            if (m_ploter.link().Write("G", 1) != 0) {
                fail(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci"));
                return m_interval;
            }
            m_ploter.state().jobStarted = true;
        }
    }
    m_spinner = (m_spinner + 1) % 4;
    showStatus(progress, true);
    m_interval = 1;
    return m_interval;
}
