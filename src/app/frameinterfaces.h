#pragma once

#include <QString>

// What the main window needs from the windows and links that other
// subsystems provide. Each is implemented by its owner (project window,
// transmitter, configuration dialog, device link); the frame only calls.

// A project window: one drawing, its planned cut and its view.
class IProjectWindow
{
public:
    virtual ~IProjectWindow() = default;

    // The window caption; it ends with the drawing's file name.
    virtual QString caption() const = 0;

    // Re-planning after the configuration changed.
    virtual void JakiKierunek(int direction) = 0;
    virtual bool planned() const = 0;
    virtual void ciecie() = 0; // flat planner
    virtual void ciecie_obrotowe() = 0; // rotary planner
    // Invalidates the view and paints it again.
    virtual void repaintProject() = 0;

    // Simulation: the pass number of a serial cut, the sign of the X feed,
    // and a painting that animates the cut.
    virtual int passNumber() const = 0;
    virtual int xFeedSign() const = 0;
    virtual void setXFeedSign(int sign) = 0;
    // Both X-feed signs (the next job's and the serial start's) from the
    // configured cutting direction, after the configuration dialog.
    virtual void setFeedSigns(int sign) = 0;
    virtual void simulate() = 0;
    // Paired front and back profiles keep the simulated picture.
    virtual bool holdsPairedProfiles() const = 0;
    virtual void invalidate() = 0;
};

// The job transmitter as the close guard sees it.
class ITransmitter
{
public:
    virtual ~ITransmitter() = default;
    virtual bool running() const = 0;
    virtual bool paused() const = 0;
    virtual void stop() = 0;
};

// The configuration dialog: shown modally by the main window, which then
// applies what changed.
class IConfigurationDialog
{
public:
    virtual ~IConfigurationDialog() = default;
    virtual void execModal() = 0;
    virtual bool modeChanged() const = 0;
    // Set by a change of the power output and by loading a configuration file;
    // stays set until the machine has been told.
    virtual bool powerOutputChanged() const = 0;
    virtual void clearPowerOutputChanged() = 0;
    virtual bool rotationSettingsClicked() const = 0;
    virtual void clearRotationSettingsClicked() = 0;
};

// The machine as the configuration follow-up talks to it.
class IMachineSettingsLink
{
public:
    virtual ~IMachineSettingsLink() = default;
    struct Status
    {
        bool connected = false;
        bool jobRunning = false;
    };
    // Reads the controller's status now.
    virtual Status readStatus() = 0;
    virtual bool connected() const = 0;
    virtual void sendPowerOutput(int itemIndex) = 0;
    virtual void SendLengthUnit(int itemIndex) = 0;
    // The control panel applies its heating-power scroll bar again.
    virtual void reapplyHeatingPower() = 0;
};

// The device link; the main window releases it first when it closes, so the
// USB device is free before anything else goes.
class IDeviceLink
{
public:
    virtual ~IDeviceLink() = default;
};

// The shared memory block read by the companion program.
class ISharedProjectSize
{
public:
    virtual ~ISharedProjectSize() = default;
    virtual void WriteProjectSize(int width, int height) = 0;
};
