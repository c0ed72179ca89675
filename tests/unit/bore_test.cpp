/* bore_test.cpp - grouping sections into holes, hole centres, normalisation,
 * the list callbacks and every reachable diagnostic of the hole model. */
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "holes/bore.h"
#include "holes/reference_path.h"
#include "test_support.h"
#include "system/tools.h"

namespace {

struct point { double x, y; };
typedef section stroke;

bore *hole_at(d_list *root, int i) { return (bore *)d_list_get_idx_node(root, i)->data; }

std::vector<point> centres(d_list *root)
{
    std::vector<point> out;
    for (int i = 0; i < root->count; i++)
        out.push_back({hole_at(root, i)->x, hole_at(root, i)->y});
    return out;
}

void expect_centres(d_list *root, const std::vector<point> &expected)
{
    std::vector<point> got = centres(root);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); i++) {
        EXPECT_DOUBLE_EQ(got[i].x, expected[i].x) << "hole " << i;
        EXPECT_DOUBLE_EQ(got[i].y, expected[i].y) << "hole " << i;
    }
}

struct grouping_case {
    const char *name;
    std::vector<stroke> strokes;
    std::vector<point> holes;   /* centres after compute_quad, in list order */
    std::vector<int> sections;  /* section count of each hole */
};

const grouping_case grouping_cases[] = {
    {"flash", {{3, 4, 3, 4}}, {{3, 4}}, {1}},
    {"stroke", {{0, 2, 4, 0}}, {{2, 1}}, {1}},
    {"square drawn round", {{0, 0, 4, 0}, {4, 0, 4, 4}, {4, 4, 0, 4}, {0, 4, 0, 0}}, {{2, 2}}, {4}},
    {"square, mixed directions and order",
     {{4, 4, 0, 4}, {0, 0, 0, 4}, {4, 0, 0, 0}, {4, 4, 4, 0}}, {{2, 2}}, {4}},
    {"square, start point touching end point", {{0, 4, 4, 4}, {4, 0, 4, 4}, {0, 0, 4, 0}, {0, 0, 0, 4}}, {{2, 2}}, {4}},
    {"near-equal end points do not touch", {{0, 0, 1, 0}, {1.0000001, 0, 2, 0}}, {{0.5, 0}, {1.50000005, 0}}, {1, 1}},
    {"flash on a stroke's end joins it", {{0, 0, 2, 0}, {2, 0, 2, 0}, {0, 0, 0, 0}}, {{1, 0}}, {3}},
    {"flash inside a stroke does not join", {{0, 0, 2, 0}, {1, 0, 1, 0}}, {{1, 0}, {1, 0}}, {1, 1}},
    {"bridge joins the earlier chain, holes never merge",
     {{0, 0, 1, 0}, {5, 0, 6, 0}, {1, 0, 5, 0}, {5, 0, 5, 1}, {6, 0, 7, 0}},
     {{2.5, 0.5}, {6, 0}}, {3, 2}},
    {"negative coordinates", {{-3, -1, -1, -3}}, {{-2, -2}}, {1}},
    {"minus zero is the same point as zero", {{0, 0, 2, 0}, {-0.0, -0.0, 0, 2}}, {{1, 1}}, {2}},
    {"... also when it comes first", {{-0.0, 0, 2, 0}, {0, 0, 0, 2}}, {{1, 1}}, {2}},
    {"... also when other points were looked up since",
     {{0, 0, 2, 0}, {10, 10, 11, 10}, {20, 20, 21, 20}, {30, 30, 31, 30}, {-0.0, -0.0, 0, 2}},
     {{1, 1}, {10.5, 10}, {20.5, 20}, {30.5, 30}}, {2, 1, 1, 1}},
    {"not a number touches nothing", {{NAN, 0, 1, 1}, {NAN, 0, 2, 2}, {2, 2, 3, 3}}, {{1, 0.5}, {2.5, 1.5}}, {1, 2}},
};

TEST(bore, strokes_group_into_holes_centred_in_their_box)
{
    for (const grouping_case &c : grouping_cases) {
        for (bool reference : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (reference ? ", reference" : ", indexed"));
            d_list *root = group_sections(c.strokes, reference);
            compute_quad(root);
            expect_centres(root, c.holes);
            for (int i = 0; i < root->count && i < (int)c.sections.size(); i++) {
                const bore *hole = hole_at(root, i);
                EXPECT_EQ(reference ? hole->sections->count : hole->parts, c.sections[i]) << "hole " << i;
            }
            d_list_free(root);
        }
    }
}

TEST(bore, normalisation_moves_the_lowest_corner_onto_the_offsets)
{
    struct normalise_case {
        const char *name;
        std::vector<point> before;
        double x_offset, y_offset;
        std::vector<point> after;
    } cases[] = {
        {"minima from different holes", {{10, 30}, {25, 12}}, 1, 2, {{1, 20}, {16, 2}}},
        {"negative centres, zero offsets", {{-5, -7}, {-1, 3}}, 0, 0, {{0, 0}, {4, 10}}},
        {"single hole", {{0.1, 0.2}}, 12.345, 6.789, {{12.345, 6.789}}},
        {"empty list", {}, 1, 2, {}},
    };
    for (const normalise_case &c : cases) {
        SCOPED_TRACE(c.name);
        d_list *root = new_bores();
        for (const point &p : c.before) {
            bore *b = append_bore(root);
            b->x = p.x;
            b->y = p.y;
        }
        normalize_coords(root, c.x_offset, c.y_offset);
        expect_centres(root, c.after);
        d_list_free(root);
    }
}

TEST(bore, callbacks)
{
    section s = {0, 0, 2, 1};
    struct touch_case { section key; int32_t result; } touches[] = {
        {{0, 0, 9, 9}, 0}, {{9, 9, 0, 0}, 0}, {{2, 1, 9, 9}, 0}, {{9, 9, 2, 1}, 0},
        {{2, 2, 2, 2}, -1}, {{0, 1, 2, 0}, -1}, {{1, 0.5, 1, 0.5}, -1}, {{-0.0, 0, 5, 5}, 0},
    };
    for (touch_case &t : touches)
        EXPECT_EQ(section_touches(&s, &t.key), t.result) << t.key.x1 << "," << t.key.y1 << " " << t.key.x2 << "," << t.key.y2;

    struct compare_case { double a, b; int32_t result; } compares[] = {
        {5.0, 5.9, 0}, {5.9, 5.0, 0}, {7.5, 5.0, 2}, {5.0, 7.5, -2},
        {1e12, 0, INT32_MAX}, {-1e12, 0, INT32_MIN}, {NAN, 1, INT32_MIN},
    };
    for (compare_case &c : compares) {
        dist a = {nullptr, c.a}, b = {nullptr, c.b};
        EXPECT_EQ(dist_compare(&a, &b), c.result) << c.a << " - " << c.b;
    }
}

/* ---- diagnostics ---- */

struct fatal_exit {};
void throw_fatal(int) { throw fatal_exit(); }

/* The diagnostic line that `action` writes, caught in-process. */
std::string diagnostic_of(const std::function<void()> &action)
{
    fatal_handler_fn previous = set_fatal_handler(throw_fatal);
    testing::internal::CaptureStderr();
    bool ended = false;
    try {
        action();
    } catch (const fatal_exit &) {
        ended = true;
    }
    std::string err = testing::internal::GetCapturedStderr();
    set_fatal_handler(previous);
    EXPECT_TRUE(ended) << "no diagnostic";
    return err;
}

/* Runs `action` on a list whose count claims `claimed` nodes, then restores it for freeing. */
std::function<void()> with_count(d_list *list, int32_t claimed, std::function<void(d_list *)> action)
{
    return [=] {
        int32_t real = list->count;
        list->count = claimed;
        try {
            action(list);
        } catch (...) {
            list->count = real;
            throw;
        }
        list->count = real;
    };
}

TEST(bore, diagnostics)
{
    d_list *bores = new_hole_list(true);             /* empty, scanned; count is faked per case */
    d_list *two = group_sections({{1, 1, 1, 1}, {4, 5, 4, 5}}, true);
    compute_quad(two);
    d_list *with_null_hole = new_bores();
    d_list_append_node(with_null_hole, nullptr, nullptr, nullptr);
    d_list *bare = new_bores();
    bore *no_sections = append_bore(bare);
    d_list *faked_sections = new_hole_list(true);
    bore *claims_section = append_bore(faked_sections);
    claims_section->sections = new_sections();
    d_list *lone = new_hole_list(true);
    bore *no_dists = append_bore(lone);
    bore *null_entry = append_bore(lone);
    add_dist(null_entry, no_dists, 1.0);
    d_list_append_node(distances_of(null_entry), nullptr, nullptr, nullptr);
    bore *orphan_entry = append_bore(lone);
    add_dist(orphan_entry, nullptr, 1.0);

    struct diagnostic_case {
        std::function<void()> action;
        std::string line;
    } cases[] = {
        {[] { append_section(nullptr); }, "bore.cpp, append_section.75(): \"Bore=NULL\"\n"},
        {[] { add_section(nullptr, 1, 2, 3, 4); }, "bore.cpp, append_section.75(): \"Bore=NULL\"\n"},
        {[=] { append_section(no_sections); }, "bore.cpp, append_section.80(): \"Bore->sections=NULL\"\n"},
        {with_count(bores, 1, [](d_list *r) { search_section(r, 0, 0, 0, 0); }),
         "bore.cpp, search_section.140(): \"d_list_get_idx_node(Root, i) = NULL\"\n"},
        {[] { append_dist(nullptr); }, "bore.cpp, append_dist.201(): \"Root=NULL\"\n"},
        {[=] { append_dist(no_dists); },
         "bore.cpp, append_dist.208(): \"" + cp1250("Nem lehet bővíteni a távolságok listáját.") + "\"\n"},
        {[] { add_dist(nullptr, nullptr, 1); }, "bore.cpp, add_dist.224(): \"Root=NULL\"\n"},
        {[] { append_bore(nullptr); },
         "bore.cpp, append_bore.286(): \"" + cp1250("Nem lehet bővíteni a furatok listáját.") + "\"\n"},
        {[] { compute_quad(nullptr); }, "bore.cpp, compute_quad.344(): \"Root=NULL\"\n"},
        {with_count(bores, 1, compute_quad), "bore.cpp, compute_quad.358(): \"d_list_get_idx_node(Root, i) = NULL\"\n"},
        {[=] { compute_quad(with_null_hole); }, "bore.cpp, compute_quad.365(): \"bore=NULL\"\n"},
        {[=] { compute_quad(bare); }, "bore.cpp, compute_quad.372(): \"bore->sections=NULL\"\n"},
        {with_count(claims_section->sections, 1, [=](d_list *) { compute_quad(faked_sections); }),
         "bore.cpp, compute_quad.384(): \"d_list_get_idx_node(sections, j) = NULL\"\n"},
        {[] { normalize_coords(nullptr, 0, 0); }, "bore.cpp, normalize_coords.455(): \"Root=NULL\"\n"},
        {with_count(bores, 1, [](d_list *r) { normalize_coords(r, 0, 0); }),
         "bore.cpp, normalize_coords.471(): \"d_list_get_idx_node(Root, i) = NULL\"\n"},
        {[=] { normalize_coords(with_null_hole, 0, 0); }, "bore.cpp, normalize_coords.478(): \"bore=NULL\"\n"},
        {[] { compute_distances(nullptr); }, "bore.cpp, compute_distances.537(): \"Root=NULL\"\n"},
        {with_count(bores, 1, compute_distances),
         "bore.cpp, compute_distances.550(): \"d_list_get_idx_node(Root, i) = NULL\"\n"},
        /* two real holes claiming four: index 2 runs off the end of the links */
        {with_count(two, 4, compute_distances),
         "bore.cpp, compute_distances.581(): \"d_list_get_idx_node(Root, j) = NULL\"\n"},
        /* an indexed list keeps no distance tables */
        {[=] { compute_distances(bare); }, "bore.cpp, compute_distances.560(): \"Root->dists=NULL\"\n"},
        {[] { get_nearest_bore(nullptr); }, "bore.cpp, get_nearest_bore.613(): \"Bore=NULL\"\n"},
        {[=] { get_nearest_bore(no_dists); }, "bore.cpp, get_nearest_bore.620(): \"Bore->dists=NULL\"\n"},
        /* an indexed list asked for the next stop before its tour started, or from no hole */
        {[=] { tour_next(bare, no_sections); }, "bore.cpp, get_nearest_bore.620(): \"Bore->dists=NULL\"\n"},
        {[=] { tour_start(with_null_hole); tour_next(with_null_hole, nullptr); }, "bore.cpp, get_nearest_bore.613(): \"Bore=NULL\"\n"},
        {[=] { get_nearest_bore(null_entry); }, "bore.cpp, get_nearest_bore.637(): \"dt=NULL\"\n"},
        {[=] { get_nearest_bore(orphan_entry); }, "bore.cpp, get_nearest_bore.642(): \"dt->bore=NULL\"\n"},
    };
    for (diagnostic_case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(diagnostic_of(c.action), c.line);
    }
    d_list_free(bores);
    d_list_free(two);
    d_list_free(with_null_hole);
    d_list_free(bare);
    d_list_free(faked_sections);
    d_list_free(lone);
}

/* The tour releases the index's end-point map, and the holes keep no sections
 * to make it anew: grouping asked after the tour ends the run. */
TEST(bore, grouping_after_the_tour_is_refused)
{
    d_list *root = group_sections({{0, 0, 1, 0}, {1, 0, 1, 1}}, false);
    compute_quad(root);
    tour_start(root);
    bore *hole = hole_at(root, 0);
    for (const std::function<void()> &late : std::vector<std::function<void()>>{
             [=] { search_section(root, 1, 1, 2, 2); }, [=] { add_section(hole, 5, 5, 6, 6); }})
        EXPECT_NE(diagnostic_of(late).find("\"index->grouping_over=1\""), std::string::npos);
    d_list_free(root);
}

TEST(bore, dists_list_missing_entries_is_reported)
{
    d_list *root = group_sections({{0, 0, 0, 0}, {1, 1, 1, 1}}, true);
    compute_quad(root);
    bore *first = compute_distances(root);
    d_list *dists = distances_of(first);
    EXPECT_EQ(diagnostic_of(with_count(dists, 3, [=](d_list *) { get_nearest_bore(first); })),
              "bore.cpp, get_nearest_bore.631(): \"d_list_get_idx_node(dists, i) = NULL\"\n");
    d_list_free(root);
}

TEST(bore, diagnostic_ends_the_process_with_status_1)
{
    EXPECT_EXIT(compute_distances(nullptr), testing::ExitedWithCode(1),
                "^bore\\.cpp, compute_distances\\.537\\(\\): \"Root=NULL\"\n$");
}

}  // namespace
