#pragma once

#include <atomic>
#include <functional>

class Ploter;
class Tster;

// The move-wire dialog's logic (Tprzesun): a move to a typed position or by
// typed distances, and two service loops, a back-and-forth motion test and
// a heater test. It runs where the link runs; the loops end when `stop` is
// set (the window sets it on a key press or left click, from its thread).
class Tprzesun
{
public:
    Tprzesun(Ploter &ploter, Tster &panel, const std::atomic<bool> &stop);

    // After every cycle of the motion test: the link's read-failure and
    // write-failure counts, for the test button's caption.
    void setCaptionHandler(std::function<void(int readFailures, int writeFailures)> handler)
    {
        m_caption = std::move(handler);
    }

    // `mode` 0 moves to the position, 1 by the distances; lengths in mm,
    // the angle in degrees; the arms are the panel's selection.
    bool WykonajClick(int mode, double x, double y, double z, double angle);
    // Back and forth by the distances (mm, degrees) until stopped, at least
    // one whole cycle; the forward move is cut so that it stays within the
    // travel, and a cycle always ends where it began.
    void testClick(double dx, double dy, double angle);
    // Heating on and off until stopped; a cycle always ends with the
    // heating off.
    void TestGrzalkiClick();

private:
    bool idleMove();

    Ploter &m_ploter;
    Tster &m_panel;
    const std::atomic<bool> &m_stop;
    std::function<void(int, int)> m_caption;
};
