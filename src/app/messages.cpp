#include "app/messages.h"

#include "app/language.h"

#include <cstdio>

namespace {

MessageBoxes *&installedBoxes()
{
    static MessageBoxes *boxes = nullptr;
    return boxes;
}

} // namespace

MessageBoxes *MessageBoxes::current()
{
    return installedBoxes();
}

MessageBoxes *MessageBoxes::install(MessageBoxes *boxes)
{
    MessageBoxes *previous = installedBoxes();
    installedBoxes() = boxes;
    return previous;
}

void ShowMsg(const Message &message)
{
    if (MessageBoxes *boxes = MessageBoxes::current()) {
        boxes->show(message);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(message.caption), qPrintable(message.text));
}

void ShowMsg(const QString &text, bool isError, const QString &caption)
{
    QString shownCaption = caption;
    if (shownCaption.isEmpty())
        shownCaption = GetText(QStringLiteral("Universal"),
                               isError ? QStringLiteral("blad") : QStringLiteral("informacja"));
    ShowMsg(Message {text, shownCaption, isError ? MessageKind::Error : MessageKind::Information});
}

void ShowMsgEn(const QString &text, bool isError, const QString &caption)
{
    QString shownCaption = caption;
    if (shownCaption.isEmpty())
        shownCaption = isError ? QStringLiteral("Error") : QStringLiteral("Information");
    ShowMsg(Message {text, shownCaption, isError ? MessageKind::Error : MessageKind::Information});
}

DlgButton ConfirmDlg(const QString &text, DlgButtons buttons)
{
    if (MessageBoxes *boxes = MessageBoxes::current())
        return boxes->confirm(text, buttons);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return DlgButton::Cancel;
}

DlgButton ConfirmDlgHelp(const QString &text, DlgButtons buttons, int helpContext)
{
    Q_UNUSED(helpContext)
    return ConfirmDlg(text, buttons);
}
