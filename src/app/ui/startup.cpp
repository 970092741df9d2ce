#include "app/ui/startup.h"

#include "app/commandline.h"
#include "app/definicje.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/ui/qmessageboxes.h"

#include <QApplication>

#include <optional>

std::unique_ptr<ProgramWindows> CreateProgramWindows(int systemCountry)
{
    Globals().powerLimit = !ParamPresent(QStringLiteral("fullPower"));

    tInterfejs language
        = tInterfejs::Create(LanguageFileCheck::current(), systemCountry, CommandLine::current());
    if (!language.loaded()) {
        if (language.failure())
            ShowMsg(*language.failure());
        return nullptr;
    }
    tInterfejs::setInstance(std::move(language));

    auto windows = std::make_unique<ProgramWindows>();
    windows->mainForm = std::make_unique<TMainForm>();
    windows->mainForm->Translate();
    windows->dlgkonfig = std::make_unique<TDlgkonfig>();
    windows->dlgkonfigCommand = std::make_unique<DlgkonfigAdapter>(*windows->dlgkonfig);
    windows->mainForm->setConfigurationDialog(windows->dlgkonfigCommand.get());
    return windows;
}

int RunPrentavik()
{
    // Boxes installed before (a test's recorder) stay in place.
    QMessageBoxes boxes;
    const bool ownBoxes = MessageBoxes::current() == nullptr;
    std::optional<ScopedMessageBoxes> installed;
    if (ownBoxes)
        installed.emplace(&boxes);
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(SystemCountry());
    if (!windows)
        return ExitNoLanguageFile;
    boxes.setOwner(windows->mainForm.get());
    windows->mainForm->show();
    const int exitCode = QApplication::exec();
    boxes.setOwner(nullptr);
    return exitCode;
}
