#pragma once

#include <QString>

#include <functional>
#include <optional>

// A barcode scanner attached as a keyboard types the 13 digits of a set's
// code. Every key press of the program passes here once; digits of the main
// keyboard row are collected, and 13 of them in a row open the set.

// One key press as the filter sees it.
struct TScannerKey
{
    int key = 0; // Qt::Key
    // The hardware key code (X11 and Wayland keycodes); 0 when the platform
    // gives none.
    quint32 nativeScanCode = 0;
    bool alt = false;
    bool keypad = false;
};

// The digit of a key of the main keyboard's digit row pressed without Alt.
// The row is found by its key codes 10 to 19 (1 to 9, then 0) in any layout,
// so a layout that types "&" or "é" there still gives digits; without a key
// code by the key itself, never from the numeric keypad.
std::optional<QChar> ScannerKeyToDigit(const TScannerKey &key);

class TScannerFilter
{
public:
    // Opens the set of a complete code.
    using OpenSet = std::function<void(const QString &code)>;
    // True while keys must not be collected (the configuration dialog is
    // shown, the set browser is open).
    using Blocked = std::function<bool()>;

    void setOpenSet(OpenSet openSet) { m_openSet = std::move(openSet); }
    void setBlocked(Blocked blocked) { m_blocked = std::move(blocked); }

    // One key press anywhere in the program. Insert, F1 to F12 and lone
    // modifier keys change nothing; any key that is no digit empties the
    // buffer.
    void AppMessage(const TScannerKey &key);
    // Appends a digit; at 13 the buffer is emptied and the code handed on.
    // True when that happened.
    bool ScannerAddDigit(QChar digit);

    const QString &BarcodeBuffer() const { return m_buffer; }

private:
    QString m_buffer;
    OpenSet m_openSet;
    Blocked m_blocked;
};
