// Machine configuration text and the global record come from users, dealers
// and barcode sets: any bytes must read without a crash, and whatever is
// read must lie in range and read back the same after it is written.
#include "app/configfiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    Settings settings;
    ConfigFiles::readMachineConfig(bytes, settings);
    Settings clamped = settings;
    clamped.clampToRanges();
    if (!(clamped == settings))
        std::abort();
    // Numbers keep 15 significant digits, so compare what is written: once
    // written, a configuration reads back to the same text.
    const QByteArray text = ConfigFiles::machineConfigText(settings);
    Settings again;
    ConfigFiles::readMachineConfig(text, again);
    if (ConfigFiles::machineConfigText(again) != text)
        std::abort();

    if (auto record = ConfigFiles::decodeGlobalConfig(bytes)) {
        if (record->filterIndex < 1 || record->filterIndex > ConfigFiles::FilterCount)
            std::abort();
        const auto back = ConfigFiles::decodeGlobalConfig(ConfigFiles::encodeGlobalConfig(*record));
        if (!back || !(*back == *record))
            std::abort();
    }
    return 0;
}
