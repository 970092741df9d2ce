// Feeds arbitrary bytes to the 3D DXF reader, in feet (the largest factor, so values near the
// float range overflow): it must end, never fault, and give only finite triangles inside its
// box, never more than the cap; a failed file gives none.
#include "model3d/modelreading.h"
#include "modelfuzz.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    std::vector<TRawTriangle> triangles;
    TModelBox box;
    const TModelReadEnd end = ReadDxfModel(text, 304.8, triangles, box, {}, FuzzTriangleCap);
    if (end != TModelReadEnd::Complete && !triangles.empty())
        std::abort();
    CheckModelRead(end, triangles, box);
    return 0;
}
