#pragma once

#include "app/frameinterfaces.h"

class TDlgkonfig;

// The configuration dialog as the main window's configuration command sees
// it: shown modally, then asked what changed.
class DlgkonfigAdapter : public IConfigurationDialog
{
public:
    explicit DlgkonfigAdapter(TDlgkonfig &dialog)
        : m_dialog(dialog)
    { }

    void execModal() override;
    bool modeChanged() const override;
    bool powerOutputChanged() const override;
    void clearPowerOutputChanged() override;
    bool rotationSettingsClicked() const override;
    void clearRotationSettingsClicked() override;

private:
    TDlgkonfig &m_dialog;
};
