#pragma once

// Job control's views of the program's own settings, command line and
// message boxes.

#include "job/jobinterfaces.h"
#include "job/startstate.h"

#include <functional>

struct Settings;
class CommandLine;

namespace job {

JobSettings jobSettingsFrom(const Settings &settings);

// Test mode: the first command-line parameter is exactly "test" (case matters,
// unlike the other switches).
bool testModeFrom(const CommandLine &commandLine);

// The pieces of a message in the running program's language.
QString resolveText(const std::vector<TextPiece> &pieces);
// The message in the program's message boxes, as an error box or a notice.
void ShowJobMessage(const JobMessage &message);
// The message as a question with Yes and Cancel; true for Yes.
bool AskYesCancel(const JobMessage &message);

// Prompts through the program's message boxes; the cursor and the status bar
// belong to the main window, which hands them in.
class MessageBoxPrompts : public JobPrompts
{
public:
    MessageBoxPrompts(std::function<void(bool)> setBusy, std::function<void(int)> showPassCounter);

    void show(const JobMessage &message) override;
    BrokenWireAnswer askBrokenWire() override;
    void setBusy(bool busy) override;
    void showPassCounter(int count) override;

private:
    std::function<void(bool)> m_setBusy;
    std::function<void(int)> m_showPassCounter;
};

} // namespace job
