#include "machine/simulatedprogram.h"

#include <algorithm>

SimulatedProgramMemory::SimulatedProgramMemory(std::uint32_t seed)
    : m_words(kWords)
{
    // Any fixed content serves; a multiplicative hash makes each firmware's
    // program differ from every other and from blank memory.
    std::uint32_t state = seed * 2654435761u + 0x9E3779B9u;
    for (std::uint16_t &word : m_words) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        word = static_cast<std::uint16_t>(state >> 8);
    }
}

int SimulatedProgramMemory::index() const
{
    if (m_address < kStart || (m_address - kStart) % 2 != 0)
        return -1;
    const std::uint32_t i = (m_address - kStart) / 2;
    return i < static_cast<std::uint32_t>(kWords) ? static_cast<int>(i) : -1;
}

void SimulatedProgramMemory::settle(std::int64_t nowMs)
{
    if (m_eraseAt < 0 || nowMs < m_eraseAt)
        return;
    m_eraseAt = -1;
    const auto kept = static_cast<std::ptrdiff_t>(std::clamp(m_leaveOnErase, 0, kWords));
    std::fill(m_words.begin() + kept, m_words.end(), kBlank);
}

void SimulatedProgramMemory::startErase(std::int64_t nowMs, std::int64_t eraseMs)
{
    settle(nowMs);
    m_eraseAt = nowMs + std::max<std::int64_t>(0, eraseMs);
    settle(nowMs);
}

void SimulatedProgramMemory::program(std::uint16_t word, std::int64_t nowMs)
{
    settle(nowMs);
    const int i = index();
    if (i >= 0 && m_eraseAt < 0)
        m_words[static_cast<std::size_t>(i)] &= word;
    m_address += 2;
}

std::uint16_t SimulatedProgramMemory::read(std::int64_t nowMs)
{
    settle(nowMs);
    const int i = index();
    m_address += 2;
    if (i < 0)
        return 0;
    std::uint16_t word = m_words[static_cast<std::size_t>(i)];
    if (i == m_corrupt.first)
        word ^= m_corrupt.second;
    return word;
}

const std::vector<std::uint16_t> &SimulatedProgramMemory::words(std::int64_t nowMs)
{
    settle(nowMs);
    return m_words;
}

std::uint64_t SimulatedProgramMemory::fingerprint(std::int64_t nowMs)
{
    return fingerprint(words(nowMs));
}

std::uint64_t SimulatedProgramMemory::fingerprint(const std::vector<std::uint16_t> &words)
{
    // FNV-1a over the words.
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint16_t word : words) {
        hash = (hash ^ (word & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (word >> 8)) * 1099511628211ull;
    }
    return hash;
}

// --- The controller's side: commands, restart and the bus -----------------------

#include "machine/simulatedmachine.h"

namespace {

std::uint32_t uint32After(const QByteArray &c, int at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | (c.size() > at + i ? static_cast<std::uint8_t>(c[at + i]) : 0u);
    return v;
}

} // namespace

void SimulatedMachine::executeProgramCommand(std::uint8_t sub, const QByteArray &c)
{
    const std::int64_t now = m_clock.nowMs();
    switch (sub) {
    case 8:
        m_program.setAddress(uint32After(c, 2));
        break;
    case 9:
        m_program.startErase(now, m_config.eraseMs);
        break;
    case 10:
        m_program.program(static_cast<std::uint16_t>(uint32After(c, 2) & 0xFFFF), now);
        break;
    case 11:
        restart();
        break;
    default:
        break;
    }
}

void SimulatedMachine::setImageVersion(const std::vector<std::uint16_t> &words, std::uint8_t major,
                                       std::uint8_t minor)
{
    m_imageVersions.emplace_back(SimulatedProgramMemory::fingerprint(words), std::pair {major, minor});
}

void SimulatedMachine::bootFromMemory()
{
    const std::uint64_t held = m_program.fingerprint(m_clock.nowMs());
    std::pair<std::uint8_t, std::uint8_t> version {0, 0}; // the boot loader
    for (const auto &[fingerprint, v] : m_imageVersions) {
        if (fingerprint == held)
            version = v;
    }
    m_config.firmwareMajor = version.first;
    m_config.firmwareMinor = version.second;
    m_program.setAddress(SimulatedProgramMemory::kStart);
    // Nothing of the last session survives a restart but the memory and
    // where the axes stand.
    stopMotion();
    m_heating.fill(false);
    m_queue.clear();
    m_jobStarted = false;
    m_paused = false;
    m_homed = false;
    m_buttons = 0;
}

void SimulatedMachine::restart()
{
    ++m_boots;
    m_offBusUntil = m_clock.nowMs() + m_config.restartMs;
    bootFromMemory();
}

void SimulatedMachine::plugBackIn()
{
    m_pulled = false;
    m_pullAfterWrites = -1;
    ++m_boots;
    bootFromMemory();
}

bool SimulatedMachine::onBus() const
{
    return !m_pulled && m_clock.nowMs() >= m_offBusUntil;
}

void SimulatedMachine::unplugAfterWrites(int count)
{
    m_pullAfterWrites = count;
    if (count <= 0)
        m_pulled = true;
}

void SimulatedMachine::countReportForPull()
{
    if (m_pullAfterWrites > 0 && --m_pullAfterWrites == 0)
        m_pulled = true;
}

void SimulatedHidBackend::refreshBus()
{
    // A controller that restarted or was pulled is gone from the bus: its
    // open channels fail. One that came back from a restart is a new device.
    for (Slot &slot : m_slots) {
        if (!slot.machine)
            continue;
        const bool current = slot.machine->onBus() && slot.machine->boots() == slot.boots;
        if (!current)
            *slot.present = false;
        if (!*slot.present && slot.machine->onBus()) {
            slot.info = makeInfo(slot.machine->config().manufacturer, slot.machine->config().product,
                                 slot.machine->config().serialNumber);
            slot.present = std::make_shared<bool>(true);
            slot.boots = slot.machine->boots();
        }
    }
}
