// The generators' dialogs over real project windows: what they open, what
// they keep beside the drawing, and what they refuse.
#include "app/ui/numericedit.h"
#include "project/ui/archbendingdialog.h"
#include "project/ui/duplicationdialog.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QSlider>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace {

class GeneratorWindows : public ::testing::Test
{
protected:
    GeneratorWindows()
        : language(ShippedLanguage())
        , host(&area, Context(), {})
    {
        area.resize(900, 700);
        area.show();
    }

    static TProjectWindowContext Context()
    {
        TProjectWindowContext context;
        context.settings = [] { return TProjectSettings(); };
        context.makeReader = [] { return std::make_unique<THpglSource>(); };
        return context;
    }

    // Opens an HPGL drawing and waits for its plan.
    TMDIChild *Open(const char *name, const std::string &drawing)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        std::ofstream(path.toStdString(), std::ios::binary) << drawing;
        const TOpenedProject opened = host.OpenProject(path, 1, 0, 255);
        TMDIChild *child = opened.loaded() ? host.window(opened.window) : nullptr;
        if (child)
            Wait(child);
        return child;
    }

    static void Wait(TMDIChild *child)
    {
        while (child->planning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }

    ScopedLanguage language;
    QTemporaryDir dir;
    QMdiArea area;
    TProjectWindowHost host;
    RecordingMessageBoxes boxes;
};

const char *const Square = "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;";

} // namespace

TEST_F(GeneratorWindows, DuplicationOpensAPlannedGridAndRemembersItsParameters)
{
    TMDIChild *source = Open("b.plt", Square);
    ASSERT_NE(source, nullptr);
    ASSERT_TRUE(source->planned());
    {
        TfParDup dialog(*source, host);
        EXPECT_EQ(dialog.parameterFile(), dir.filePath("b.dpl"));
        EXPECT_EQ(dialog.parameters(), (TDuplicationParams {2, 1, 110, 110, 5, 5}))
            << "defaults without a file";
        dialog.setParameters({3, 2, 120, 115, 6, 4});
        dialog.btnZatwierdzClick();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        TMDIChild *copies = host.window(dialog.generatedWindow());
        ASSERT_NE(copies, nullptr);
        EXPECT_EQ(copies->windowTitle(), dir.filePath("b.dpl"));
        Wait(copies);
        EXPECT_TRUE(copies->planned());
    }
    EXPECT_TRUE(QFile::exists(dir.filePath("b.dpl")));
    TfParDup again(*source, host);
    EXPECT_EQ(again.parameters(), (TDuplicationParams {3, 2, 120, 115, 6, 4}));
    EXPECT_TRUE(boxes.shown.empty());

    // A window with nothing planned has no start point to join copies from.
    const int empty = host.CreateEmptyProject(QStringLiteral("empty.plt"), QString());
    ShowDuplicationDialog(*host.window(empty), host, nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, GetText("Main_window", "projektNiezaplanowany"));
}

TEST_F(GeneratorWindows, ArchBendingShowsOverlapsAndReplacesItsLastWindow)
{
    TMDIChild *source = Open("curve.plt", "IN;SP1;PU0,0;PD1000,0,1300,-300,1300,-1300;PU;");
    ASSERT_NE(source, nullptr);
    ASSERT_TRUE(source->document().SingleOpenFigure);
    source->setGeometry(10, 20, 300, 200);
    TfZaginacz dialog(*source, host);
    dialog.show();
    QApplication::setActiveWindow(&dialog);

    // Depth 0: refused without a word, the depth field keeps the focus.
    dialog.btnGenerujClick();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog.generatedWindow(), -1);
    EXPECT_EQ(QApplication::focusWidget(), dialog.depthField());

    dialog.depthField()->setValue(20);
    dialog.btnGenerujClick();
    TMDIChild *overlapping = host.window(dialog.generatedWindow());
    ASSERT_NE(overlapping, nullptr);
    EXPECT_EQ(overlapping->windowTitle(),
              QStringLiteral("!!! ") + GetText("Arch_cutting", "blednyPrzebieg") + QStringLiteral(" !!!  ")
                  + source->windowTitle());
    EXPECT_EQ(overlapping->geometry(), source->geometry());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption,
              GetText("Arch_cutting", "caption") + QStringLiteral(" : ")
                  + GetText("Arch_cutting", "blednyPrzebieg"));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(GetText("Arch_cutting", "bledneParametryDlaKrzywej")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);

    dialog.depthField()->setValue(5);
    dialog.btnGenerujClick();
    QApplication::processEvents();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(host.windows().size(), 2u) << "the overlapping strip's window was replaced";
    TMDIChild *strip = host.window(dialog.generatedWindow());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->windowTitle(),
              source->windowTitle() + QStringLiteral(" : ") + GetText("Arch_cutting", "caption"));
    EXPECT_TRUE(strip->isMaximized());
    Wait(strip);
    EXPECT_TRUE(strip->planned());
    EXPECT_EQ(source->document().Figures[0].points.size(), 4u);
}

TEST_F(GeneratorWindows, EveryTextShowsWholeInEnglishAndPolish)
{
    TMDIChild *source = Open("b.plt", Square);
    ASSERT_NE(source, nullptr);
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TfParDup copies(*source, host);
        TfZaginacz bending(*source, host);
        for (QDialog *dialog : std::initializer_list<QDialog *> {&copies, &bending}) {
            dialog->show();
            const QStringList clipped = ClippedTexts(*dialog);
            EXPECT_TRUE(clipped.isEmpty()) << dialog->objectName().toStdString() << Listed(clipped);
        }
    }
}
