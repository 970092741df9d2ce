#include "app/language.h"
#include "app/messages.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"

#include <gtest/gtest.h>

namespace {

tInterfejs polishCaptions(const LanguageFolder &folder)
{
    folder.writeValid("PL", "<Universal><blad str=\"Błąd\"/><informacja str=\"Informacja\"/></Universal>");
    tInterfejs language;
    language.LoadFile("PL", folder.check());
    return language;
}

} // namespace

TEST(Messages, ShowMsgTakesMissingCaptionsFromTheLanguageFile)
{
    LanguageFolder folder;
    ScopedLanguage language(polishCaptions(folder));
    RecordingMessageBoxes boxes;

    ShowMsg("a", true);
    ShowMsg("b", false);
    ShowMsg("c", true, "Own caption");
    ShowMsg("d", false, QString());

    const std::vector<Message> expected {
        {"a", QStringLiteral("Błąd"), MessageKind::Error},
        {"b", "Informacja", MessageKind::Information},
        {"c", "Own caption", MessageKind::Error},
        {"d", "Informacja", MessageKind::Information},
    };
    EXPECT_EQ(boxes.shown, expected);
}

TEST(Messages, ShowMsgEnUsesFixedEnglishCaptions)
{
    LanguageFolder folder;
    ScopedLanguage language(polishCaptions(folder));
    RecordingMessageBoxes boxes;

    ShowMsgEn("a", true);
    ShowMsgEn("b", false);
    ShowMsgEn("c", true, "Configuration error");

    const std::vector<Message> expected {
        {"a", "Error", MessageKind::Error},
        {"b", "Information", MessageKind::Information},
        {"c", "Configuration error", MessageKind::Error},
    };
    EXPECT_EQ(boxes.shown, expected);
}

TEST(Messages, ShowMsgWithoutLanguageFileShowsTheErrorText)
{
    ScopedLanguage language {tInterfejs()};
    RecordingMessageBoxes boxes;
    ShowMsg("x", true);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "error");
}

TEST(Messages, ConfirmDlgReturnsTheButtonPressed)
{
    RecordingMessageBoxes boxes;
    boxes.answer = DlgButton::Retry;
    EXPECT_EQ(ConfirmDlg("again?", DlgButton::Ok | DlgButton::Cancel | DlgButton::Retry), DlgButton::Retry);
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0], "again?");
    EXPECT_EQ(boxes.offered[0], DlgButton::Ok | DlgButton::Cancel | DlgButton::Retry);
}

TEST(Messages, ConfirmDlgHelpAsksTheSameQuestion)
{
    RecordingMessageBoxes boxes;
    boxes.answer = DlgButton::Yes;
    EXPECT_EQ(ConfirmDlgHelp("replace?", DlgButton::Yes | DlgButton::Cancel, 12), DlgButton::Yes);
    ASSERT_EQ(boxes.offered.size(), 1u);
    EXPECT_EQ(boxes.offered[0], DlgButton::Yes | DlgButton::Cancel);
}

TEST(Messages, RecorderRestoresThePreviousBoxesWhenItEnds)
{
    RecordingMessageBoxes outer;
    {
        RecordingMessageBoxes inner;
        ShowMsgEn("inner", false);
        EXPECT_EQ(inner.shown.size(), 1u);
    }
    ShowMsgEn("outer", false);
    EXPECT_EQ(outer.shown.size(), 1u);
    EXPECT_EQ(MessageBoxes::current(), &outer);
}
