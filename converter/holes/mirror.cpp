/* mirror.cpp - negating one coordinate of every position. */
#include "holes/mirror.h"

#include "holes/hole.h"

namespace {

void mirror(mirror_axis axis, double &x, double &y)
{
    if (axis == MIRROR_X)
        x = -x;
    else if (axis == MIRROR_Y)
        y = -y;
}

void mirror(mirror_axis axis, excellon_point &p) { mirror(axis, p.x, p.y); }

}  // namespace

void mirror_holes(d_list *holes, mirror_axis axis)
{
    if (axis == MIRROR_NONE)
        return;
    for (int32_t i = 0; i < holes->count; i++) {
        bore *hole = (bore *)NODE_DATA_AT(__FILE__, __func__, holes, i, __LINE__);
        mirror(axis, hole->x, hole->y);
    }
}

void mirror_job(excellon_job &job, mirror_axis axis)
{
    if (axis == MIRROR_NONE)
        return;
    for (excellon_bit &bit : job.bits) {
        for (excellon_point &p : bit.holes)
            mirror(axis, p);
        for (excellon_slot &slot : bit.slots) {
            mirror(axis, slot.from);
            mirror(axis, slot.to);
            for (excellon_point &p : slot.hits)
                mirror(axis, p);
        }
    }
}
