// Feeds arbitrary bytes to the Illustrator/EPS reader: it must end, never
// fault, and every point it gives must lie within the plotter range.
#include "drawingfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzDrawingReader(data, size, TDrawingKind::Eps);
}
