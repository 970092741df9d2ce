#pragma once

#include <QFlags>
#include <QString>

// The one way the program shows an error or a notice and asks for a
// confirmation. The texts and captions are resolved here; the boxes
// themselves come from an installed MessageBoxes (QMessageBox in the running
// program, a recorder in tests), so logic that calls these never needs a
// screen.

enum class MessageKind { Error, Information };

struct Message
{
    QString text;
    QString caption;
    MessageKind kind = MessageKind::Information;

    bool operator==(const Message &) const = default;
};

// Buttons of a confirmation; the pressed one is the result.
enum class DlgButton {
    None = 0,
    Ok = 0x1,
    Cancel = 0x2,
    Yes = 0x4,
    No = 0x8,
    Retry = 0x10,
};
Q_DECLARE_FLAGS(DlgButtons, DlgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(DlgButtons)

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // A modal box with only an OK button.
    virtual void show(const Message &message) = 0;
    // A modal question with the given buttons; returns the one pressed.
    virtual DlgButton confirm(const QString &text, DlgButtons buttons) = 0;

    // The installed boxes, or nullptr (then messages are written to stderr
    // and confirmations answer Cancel).
    static MessageBoxes *current();
    // Installs boxes that the caller keeps alive; returns the previous ones.
    static MessageBoxes *install(MessageBoxes *boxes);
};

// Puts boxes in place for a scope and restores the previous ones after it.
class ScopedMessageBoxes
{
public:
    explicit ScopedMessageBoxes(MessageBoxes *boxes)
        : m_previous(MessageBoxes::install(boxes))
    { }
    ~ScopedMessageBoxes() { MessageBoxes::install(m_previous); }
    ScopedMessageBoxes(const ScopedMessageBoxes &) = delete;
    ScopedMessageBoxes &operator=(const ScopedMessageBoxes &) = delete;

private:
    MessageBoxes *m_previous;
};

// An error or a notice. An empty caption becomes the language file's
// "Universal"/"blad" (error) or "Universal"/"informacja".
void ShowMsg(const QString &text, bool isError, const QString &caption = {});
// The same before a language file exists: an empty caption becomes "Error"
// or "Information".
void ShowMsgEn(const QString &text, bool isError, const QString &caption = {});
// Shows a message that logic prepared as it is.
void ShowMsg(const Message &message);

// A question with the given buttons (OK and Cancel, Yes and Cancel, OK,
// Cancel and Retry are the sets in use); returns the button pressed.
DlgButton ConfirmDlg(const QString &text, DlgButtons buttons);
// The same with a help topic; the program has no help system, so the topic
// is not shown.
DlgButton ConfirmDlgHelp(const QString &text, DlgButtons buttons, int helpContext);
