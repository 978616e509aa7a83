#include "KnownSystems.h"

#include <proj.h>

#include <algorithm>

namespace {
std::vector<TKnownSystem> ReadKnownSystems() {
    std::vector<TKnownSystem> systems;
    PJ_CONTEXT* context = proj_context_create();
    PROJ_CRS_LIST_PARAMETERS* parameters = proj_get_crs_list_parameters_create();
    const PJ_TYPE types[] = {PJ_TYPE_PROJECTED_CRS, PJ_TYPE_GEOGRAPHIC_2D_CRS};
    parameters->types = types;
    parameters->typesCount = std::size(types);
    int count = 0;
    if (PROJ_CRS_INFO** list =
            proj_get_crs_info_list_from_database(context, "EPSG", parameters, &count)) {
        for (int i = 0; i < count; ++i)
            if (!list[i]->deprecated)
                systems.push_back({QString("EPSG:%1").arg(QString::fromUtf8(list[i]->code)),
                                   QString::fromUtf8(list[i]->name)});
        proj_crs_info_list_destroy(list);
    }
    proj_get_crs_list_parameters_destroy(parameters);
    proj_context_destroy(context);
    std::sort(systems.begin(), systems.end(), [](const TKnownSystem& a, const TKnownSystem& b) {
        return a.Code.mid(5).toLongLong() < b.Code.mid(5).toLongLong();
    });
    return systems;
}
} // namespace

const std::vector<TKnownSystem>& KnownSystems() {
    static const std::vector<TKnownSystem> systems = ReadKnownSystems();
    return systems;
}
