#include "job/ui/widgetstartdialogs.h"

#include "job/threadhop.h"
#include "job/ui/independentstartdialog.h"
#include "job/ui/perpendicularstartdialog.h"
#include "job/ui/serialcutdialog.h"

namespace job {

WidgetStartDialogs::WidgetStartDialogs(GuiGate &gui, QWidget *parent)
    : m_gui(gui)
    , m_parent(parent)
{ }

std::optional<SerialCutChoice> WidgetStartDialogs::serialCut(const SerialCutContext &context)
{
    return m_gui.call([&]() -> std::optional<SerialCutChoice> {
        SerialCutDialog dialog(context, m_parent.data());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.choice();
    });
}

IndependentStartAnswer WidgetStartDialogs::independentStart(const IndependentStartContext &context)
{
    return m_gui.call([&] {
        IndependentStartDialog dialog(context, m_parent.data());
        dialog.exec();
        return dialog.answer();
    });
}

std::optional<PerpendicularStart>
WidgetStartDialogs::perpendicularStart(const PerpendicularStartContext &context)
{
    return m_gui.call([&]() -> std::optional<PerpendicularStart> {
        PerpendicularStartDialog dialog(context, m_parent.data());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.points();
    });
}

} // namespace job
