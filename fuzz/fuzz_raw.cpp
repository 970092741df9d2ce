// Feeds arbitrary bytes to the RAW reader, in millimetres and in feet (the largest factor, so
// values near the float range overflow): it must end, never fault, and give only finite
// triangles inside its box, never more than the cap.
#include "model3d/rawreader.h"
#include "modelfuzz.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (double factor : {1.0, 304.8}) {
        std::vector<TRawTriangle> triangles;
        TModelBox box;
        const TModelReadEnd end = ReadRawFile(text, factor, triangles, box, {}, FuzzTriangleCap);
        if (end == TModelReadEnd::Failed
            || (end == TModelReadEnd::TooManyTriangles && triangles.size() != FuzzTriangleCap))
            std::abort();
        CheckModelRead(end, triangles, box);
    }
    return 0;
}
