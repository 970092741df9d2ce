// Language files come from the program folder and may be edited by hand or
// cut short: the parser must answer every input with loaded or a message.

#include "app/language.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    tInterfejs language;
    const LanguageFileCheck check {QStringLiteral("."), QStringLiteral("Prentavik"), QStringLiteral("1.0")};
    const bool loaded = language.LoadFrom(buffer, QStringLiteral("fuzz.xml"), check);
    if (loaded == language.failure().has_value())
        __builtin_trap();
    if (!loaded
        && language.GetText(QStringLiteral("Universal"), QStringLiteral("blad")) != QLatin1String("error"))
        __builtin_trap();
    return 0;
}
