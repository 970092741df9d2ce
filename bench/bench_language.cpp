// Every window looks its captions up when it is created; loading the file
// happens once at start-up. Both should stay far below what a user notices.

#include "app/common.h"
#include "app/language.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

LanguageFileCheck shipped()
{
    return {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), QStringLiteral("Prentavik"),
            VersionString(false, false)};
}

void LoadShippedPolishFile(benchmark::State &state)
{
    for (auto _ : state) {
        tInterfejs language;
        benchmark::DoNotOptimize(language.LoadFile(QStringLiteral("PL"), shipped()));
    }
}
BENCHMARK(LoadShippedPolishFile)->Unit(benchmark::kMicrosecond);

void LookUpMainWindowTexts(benchmark::State &state)
{
    tInterfejs language;
    language.LoadFile(QStringLiteral("PL"), shipped());
    const QStringList keys {QStringLiteral("File1.Caption"), QStringLiteral("FileOpenItem.Caption"),
                            QStringLiteral("Start1.Caption"), QStringLiteral("missing")};
    for (auto _ : state) {
        for (const QString &key : keys)
            benchmark::DoNotOptimize(language.GetText(QStringLiteral("Main_window"), key));
    }
    state.SetItemsProcessed(state.iterations() * keys.size());
}
BENCHMARK(LookUpMainWindowTexts);

} // namespace
