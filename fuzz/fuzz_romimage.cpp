// A ROM file is sent word by word into the controller's program memory:
// only a file of exactly one image may pass, and what passes must write
// back byte for byte.

#include "machine/upgradeprogram.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<RomImage> image = ParseRomImage(bytes);
    if (image.has_value() != (bytes.size() == kRomFileSize))
        __builtin_trap();
    // The input repeated to the size of an image, so every run also
    // reaches the whole path.
    QByteArray whole;
    whole.reserve(kRomFileSize);
    while (!bytes.isEmpty() && whole.size() < kRomFileSize)
        whole.append(bytes.left(kRomFileSize - whole.size()));
    if (whole.size() == kRomFileSize) {
        const std::optional<RomImage> full = ParseRomImage(whole);
        if (!full || full->words.size() != static_cast<std::size_t>(kProgramWords)
            || RomImageBytes(*full) != whole)
            __builtin_trap();
    }
    return 0;
}
