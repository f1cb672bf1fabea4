#include "tools/sim/TraceWriter.h"

#include <cinttypes>

const char* k_TraceWriter::header() {
    return "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,vel_x,vel_y,"
           "vel_z,look_speed,relocations,find_path_calls,segment_tests,sphere_tests,plan_us";
}

std::string k_TraceWriter::formatRow(const k_FrameRecord& r) {
    // Floats are widened to double for printing; "%.9g" gives back the same float.
    char row[512];
    std::snprintf(row, sizeof row,
                  "%ld,%.9g,%d,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,"
                  "%" PRIu64 ",%" PRIu64 ",%" PRIu64 ",%" PRIu64 ",%" PRId64,
                  r.frame, r.t, r.target, double(r.cameraPosition.x), double(r.cameraPosition.y),
                  double(r.cameraPosition.z), double(r.lookAt.x), double(r.lookAt.y),
                  double(r.lookAt.z), double(r.up.x), double(r.up.y), double(r.up.z),
                  double(r.velocity.x), double(r.velocity.y), double(r.velocity.z), r.lookSpeed,
                  r.relocations, r.findPathCalls, r.segmentTests, r.sphereTests,
                  r.planMicroseconds);
    return row;
}

const char* k_TraceWriter::comparisonHeader() {
    return ",search_ns,ref_plan_us,ref_search_ns,ref_sphere_tests,mismatches";
}

std::string k_TraceWriter::formatComparison(const k_FrameRecord& r) {
    char columns[128];
    std::snprintf(columns, sizeof columns,
                  ",%" PRId64 ",%" PRId64 ",%" PRId64 ",%" PRIu64 ",%" PRIu64, r.searchNanoseconds,
                  r.referencePlanMicroseconds, r.referenceSearchNanoseconds, r.referenceSphereTests,
                  r.mismatches);
    return columns;
}

const char* k_TraceWriter::qualityHeader() {
    return ",visible_share,hidden,engulfed,inside,turn_deg_s";
}

std::string k_TraceWriter::formatQuality(const k_FrameRecord& r) {
    char columns[96];
    std::snprintf(columns, sizeof columns, ",%.9g,%d,%d,%d,%.9g", r.visibleShare, r.hidden ? 1 : 0,
                  r.engulfed ? 1 : 0, r.inside ? 1 : 0, r.viewTurnRate);
    return columns;
}

void k_TraceWriter::writeHeader() {
    std::fputs(header(), file);
    if (comparison) {
        std::fputs(comparisonHeader(), file);
    }
    std::fputs(",budget_hit", file);
    std::fputs(qualityHeader(), file);
    std::fputs("\n", file);
}

void k_TraceWriter::writeRow(const k_FrameRecord& record) {
    std::fputs(formatRow(record).c_str(), file);
    if (comparison) {
        std::fputs(formatComparison(record).c_str(), file);
    }
    std::fputs(record.budgetHit ? ",1" : ",0", file);
    std::fputs(formatQuality(record).c_str(), file);
    std::fputs("\n", file);
}
