#include "app/scannerfilter.h"

#include <Qt>

namespace {

constexpr int CodeLength = 13;

// Keys that pass without touching the buffer: Insert and the function keys
// (commands of the program), and modifiers pressed on their own (a scanner
// may press Shift for each digit where the layout needs it).
bool IsIgnored(int key)
{
    if (key == Qt::Key_Insert || (key >= Qt::Key_F1 && key <= Qt::Key_F12))
        return true;
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<QChar> ScannerKeyToDigit(const TScannerKey &key)
{
    if (key.alt)
        return std::nullopt;
    if (key.nativeScanCode != 0) {
        // Key codes 10..18 are the keys 1..9 and 19 is 0 (evdev code + 8).
        if (key.nativeScanCode >= 10 && key.nativeScanCode <= 19)
            return QChar(u'0' + (key.nativeScanCode - 9) % 10);
        return std::nullopt;
    }
    if (!key.keypad && key.key >= Qt::Key_0 && key.key <= Qt::Key_9)
        return QChar(u'0' + (key.key - Qt::Key_0));
    return std::nullopt;
}

void TScannerFilter::AppMessage(const TScannerKey &key)
{
    if ((m_blocked && m_blocked()) || IsIgnored(key.key))
        return;
    if (const std::optional<QChar> digit = ScannerKeyToDigit(key))
        ScannerAddDigit(*digit);
    else
        m_buffer.clear();
}

bool TScannerFilter::ScannerAddDigit(QChar digit)
{
    m_buffer += digit;
    if (m_buffer.size() < CodeLength)
        return false;
    // Emptied first: opening a set shows windows and maybe messages, whose
    // keys come back here.
    const QString code = m_buffer.right(CodeLength);
    m_buffer.clear();
    if (m_openSet)
        m_openSet(code);
    return true;
}
