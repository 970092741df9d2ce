#include "recordingrig.h"

#include "drawing/jobformat.h"

#include <algorithm>
#include <cstdio>

namespace job {
void PrintTo(const TextPiece &piece, std::ostream *os)
{
    if (piece.key.isEmpty())
        *os << '"' << piece.literal.toStdString() << '"';
    else
        *os << piece.section.toStdString() << '/' << piece.key.toStdString();
}
} // namespace job

namespace jobtest {

std::string describeCommand(const QByteArray &command)
{
    std::string text(1, command.isEmpty() ? '?' : command.at(0));
    for (int i = 1; i < command.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(command.at(i)));
        text += hex;
    }
    return text;
}

std::vector<QByteArray> splitJobCommands(const QByteArray &bytes, bool newProtocol)
{
    std::vector<QByteArray> commands;
    int i = 0;
    while (i < bytes.size()) {
        const std::optional<int> length = commandLength(static_cast<std::uint8_t>(bytes[i]), newProtocol);
        if (!length || i + *length > bytes.size())
            break;
        commands.push_back(bytes.mid(i, *length));
        i += *length;
    }
    return commands;
}

std::string mm(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

void FakeMachine::readStatus()
{
    m_trace.push_back("ReadStatus");
    if (!statusScript.empty()) {
        state.status = statusScript.front();
        if (statusScript.size() > 1)
            statusScript.pop_front();
    }
}

bool FakeMachine::sendCommand(const QByteArray &command)
{
    m_trace.push_back(describeCommand(command));
    return state.connected;
}

void FakeMachine::rampHeating(int channel, int percent)
{
    m_trace.push_back("RampHeating " + std::to_string(channel) + " " + std::to_string(percent));
}

bool FakePanel::gotoPoint(bool wait, int speedMode, const job::GotoTarget &t)
{
    std::string line = "goto w" + std::to_string(wait) + " m" + std::to_string(speedMode) + " X1=" + mm(t.x1)
        + " Y1=" + mm(t.y1);
    if (t.x2 != t.x1 || t.y2 != t.y1)
        line += " X2=" + mm(t.x2) + " Y2=" + mm(t.y2);
    if (t.z != 0)
        line += " Z=" + mm(t.z);
    if (t.s != 0)
        line += " S=" + std::to_string(t.s);
    if (t.w != 0)
        line += " W=" + std::to_string(t.w);
    m_trace.push_back(line);
    if (onGoto)
        onGoto();
    return m_machine.state.connected;
}

job::JobWriteResult FakeProject::writeJob(const job::JobWriteRequest &request)
{
    const char *drivers[] = {"flat", "rotary", "serialSpindle", "turningSpindle", "turningTable"};
    char turns[32];
    std::snprintf(turns, sizeof turns, "%.4f", request.turns);
    m_trace.push_back("write " + m_name + " " + drivers[static_cast<int>(request.driver)] + " type="
                      + std::to_string(request.jobType) + " turns=" + turns + " dir="
                      + std::to_string(request.direction) + (cutFrame ? " frame" : ""));
    requests.push_back(request);
    if (writeFails)
        return {false, QStringLiteral("Universal"), QStringLiteral("zapisNieudany"), {}};
    QFile file(request.fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {false, {}, {}, {}};
    file.write(QByteArray::fromStdString(m_name + (request.direction < 0 ? "<" : ">") + ";"));
    job::JobWriteResult result{true, {}, {}, {}};
    if (request.driver == job::JobDriver::SerialSpindle) {
        result.passStartPosition = request.start.passStartPosition;
        (*result.passStartPosition)[0] += 500;
    }
    return result;
}

std::vector<job::JobProject *> FakeProjects::windows() const
{
    return {order.begin(), order.end()};
}

job::JobProject *FakeProjects::active() const
{
    return order.empty() ? nullptr : order.front();
}

void FakeProjects::activate(job::JobProject *window)
{
    auto it = std::find(order.begin(), order.end(), window);
    if (it == order.end())
        return;
    FakeProject *project = *it;
    m_trace.push_back("activate " + project->name());
    order.erase(it);
    order.insert(order.begin(), project);
}

FakeProject &FakeProjects::add(const std::string &name, int pass)
{
    owned.push_back(std::make_unique<FakeProject>(m_trace, name));
    owned.back()->pass = pass;
    order.push_back(owned.back().get());
    return *owned.back();
}

void FakePrompts::show(const job::JobMessage &message)
{
    messages.push_back(message);
    m_trace.push_back("msg " + message.text.front().section.toStdString() + "/" + message.key().toStdString());
}

job::BrokenWireAnswer FakePrompts::askBrokenWire()
{
    m_trace.push_back("ask zerwanyDrut");
    if (answers.empty())
        return job::BrokenWireAnswer::Cancel;
    const job::BrokenWireAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

Rig::Rig()
{
    machine.state.connected = true;
    machine.state.status.b2 = 0x04; // homed
    machine.state.family = QStringLiteral("PQ");
    machine.state.limitX = 1000;
    machine.state.limitY = 500;
    machine.state.limitZ = 360;
    machine.state.x1 = machine.state.x2 = 10000; // 100 mm
    machine.state.y1 = machine.state.y2 = 5000;  // 50 mm
}

job::JobControl &Rig::control()
{
    if (!m_control) {
        m_control = std::make_unique<job::JobControl>(job::JobEnvironment{
            machine, panel, transmitter, projects, prompts, dialogs, [this] { return settings; }, testMode,
            jobFile(), repeatSwitch});
    }
    return *m_control;
}

QByteArray Rig::jobFileBytes() const
{
    QFile file(jobFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::vector<std::string> Rig::messageKeys() const
{
    std::vector<std::string> keys;
    for (const job::JobMessage &m : prompts.messages)
        keys.push_back(m.key().toStdString());
    return keys;
}

} // namespace jobtest
