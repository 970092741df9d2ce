#include "model3d/model.h"

void TModelBox::GrowModelBox(const TRawTriangle &t)
{
    auto widen = [](double &lo, double &hi, float a, float b, float c) {
        for (double v : {double(a), double(b), double(c)}) {
            if (v < lo)
                lo = v;
            if (v > hi)
                hi = v;
        }
    };
    widen(minX, maxX, t.x1, t.x2, t.x3);
    widen(minY, maxY, t.y1, t.y2, t.y3);
    widen(minZ, maxZ, t.z1, t.z2, t.z3);
}

ModelHandle MakeModelData(std::vector<TRawTriangle> triangles, const TModelBox &box, const QString &fileName)
{
    auto data = std::make_shared<TModelData>();
    data->triangles = std::move(triangles);
    data->model.box = box;
    data->model.fileName = fileName;
    const double minimum[3] = {box.minX, box.minY, box.minZ};
    const double maximum[3] = {box.maxX, box.maxY, box.maxZ};
    for (int axis = 0; axis < 3; ++axis) {
        const double extent = maximum[axis] - minimum[axis];
        data->ModelSize[axis] = float(extent);
        data->ModelCentre[axis] = minimum[axis] + extent / 2;
    }
    return data;
}
