#include "app/ui/dlgkonfigadapter.h"

#include "app/ui/dlgkonfig.h"

void DlgkonfigAdapter::execModal()
{
    m_dialog.exec();
}

bool DlgkonfigAdapter::modeChanged() const
{
    return m_dialog.konfig().flags().modeChanged;
}

bool DlgkonfigAdapter::powerOutputChanged() const
{
    return m_dialog.konfig().flags().powerOutputChanged;
}

void DlgkonfigAdapter::clearPowerOutputChanged()
{
    m_dialog.konfig().clearPowerOutputChanged();
}

bool DlgkonfigAdapter::rotationSettingsClicked() const
{
    return m_dialog.konfig().flags().rotationSettingsClicked;
}

void DlgkonfigAdapter::clearRotationSettingsClicked()
{
    m_dialog.konfig().clearRotationSettingsClicked();
}
