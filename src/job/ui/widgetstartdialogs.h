#pragma once

#include "job/startdialogs.h"

#include <QPointer>
#include <QWidget>

namespace job {

class GuiGate;

// The start dialogs of the running program. Job control asks from its
// worker thread; each dialog is made, shown modally and freed on the GUI
// thread, through the gate.
class WidgetStartDialogs : public StartDialogs
{
public:
    WidgetStartDialogs(GuiGate &gui, QWidget *parent);

    std::optional<SerialCutChoice> serialCut(const SerialCutContext &context) override;
    IndependentStartAnswer independentStart(const IndependentStartContext &context) override;
    std::optional<PerpendicularStart> perpendicularStart(const PerpendicularStartContext &context) override;

private:
    GuiGate &m_gui;
    QPointer<QWidget> m_parent;
};

} // namespace job
