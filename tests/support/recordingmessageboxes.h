#pragma once

#include "app/messages.h"

#include <vector>

// Records every message and question instead of showing a box, and answers
// questions with a scripted button. Installed for its own lifetime.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    RecordingMessageBoxes()
        : m_previous(MessageBoxes::install(this))
    { }
    ~RecordingMessageBoxes() override { MessageBoxes::install(m_previous); }
    RecordingMessageBoxes(const RecordingMessageBoxes &) = delete;
    RecordingMessageBoxes &operator=(const RecordingMessageBoxes &) = delete;

    void show(const Message &message) override { shown.push_back(message); }
    DlgButton confirm(const QString &text, DlgButtons buttons) override
    {
        questions.push_back(text);
        offered.push_back(buttons);
        return answer;
    }

    std::vector<Message> shown;
    std::vector<QString> questions;
    std::vector<DlgButtons> offered;
    DlgButton answer = DlgButton::Ok;

private:
    MessageBoxes *m_previous;
};
