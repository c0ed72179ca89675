/* d_list_test.cpp - cursor walks, misuse results, insertion, removal and release; the pool under pooled lists. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cerrno>
#include <string>
#include <functional>
#include <vector>

#include "holes/d_list.h"
#include "holes/pool.h"

namespace {

/* Node data are small integers stored in the pointer itself. */
void *item(intptr_t v) { return (void *)v; }
intptr_t value(const d_list_node *node) { return (intptr_t)node->data; }

int32_t equal_items(void *data, void *key) { return data == key ? 0 : 1; }

std::vector<intptr_t> released;
void record_release(void *data) { released.push_back((intptr_t)data); }
void record_release_negated(void *data) { released.push_back(-(intptr_t)data); }

d_list *list_of(int n, d_list_compare_fn compare = equal_items, d_list_free_fn release = nullptr)
{
    d_list *list = d_list_new(compare, release);
    for (int i = 0; i < n; i++)
        d_list_append_node(list, item(i), nullptr, nullptr);
    return list;
}

/* Values front to back, checking the back links and count on the way. */
std::vector<intptr_t> contents(const d_list *list)
{
    std::vector<intptr_t> out;
    const d_list_node *prev = nullptr;
    for (const d_list_node *n = list->first; n; prev = n, n = n->next) {
        EXPECT_EQ(n->prev, prev);
        EXPECT_EQ(n->list_id, list->id);
        out.push_back(value(n));
    }
    EXPECT_EQ(list->last, prev);
    EXPECT_EQ((size_t)list->count, out.size());
    return out;
}

/* Test names from the cases' descriptions. */
template <class T>
std::string case_name(const testing::TestParamInfo<typename T::ParamType> &info)
{
    std::string name;
    for (const char *p = info.param.name; *p; p++)
        name += isalnum((unsigned char)*p) ? *p : '_';
    return name;
}

struct walk_case {
    const char *name;
    int count;
    int cursor;       /* -1: no position */
    int target;
    long steps;       /* link steps the lookup may take */
};

const walk_case walk_cases[] = {
    {"no cursor, front half walks from first", 5, -1, 1, 1},
    {"no cursor, middle walks back from last", 5, -1, 2, 2},
    {"cursor itself costs nothing", 10, 4, 4, 0},
    {"forward, last is nearer than cursor", 10, 1, 9, 0},
    {"forward from cursor when nearer", 10, 1, 5, 4},
    {"back, first is nearer than cursor", 10, 8, 2, 2},
    {"back from cursor when nearer", 10, 5, 3, 2},
    {"one past cursor", 10, 6, 7, 1},
    {"one before cursor", 10, 6, 5, 1},
};

class walk_test : public testing::TestWithParam<walk_case> {};

TEST_P(walk_test, takes_shortest_way_and_moves_cursor)
{
    const walk_case &c = GetParam();
    d_list *list = list_of(c.count);
    if (c.cursor < 0) {
        list->current = nullptr;
        list->current_idx = -1;
    } else {
        ASSERT_NE(d_list_get_idx_node(list, c.cursor), nullptr);
    }
    long before = d_list_walk_steps;
    d_list_node *node = d_list_get_idx_node(list, c.target);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(value(node), c.target);
    EXPECT_EQ(d_list_walk_steps - before, c.steps);
    EXPECT_EQ(list->current, node);
    EXPECT_EQ(list->current_idx, c.target);
    d_list_free(list);
}

INSTANTIATE_TEST_SUITE_P(d_list, walk_test, testing::ValuesIn(walk_cases), case_name<walk_test>);

TEST(d_list, ascending_loop_costs_one_step_per_index)
{
    const int n = 1000;
    d_list *list = list_of(n);
    EXPECT_EQ(d_list_get_idx_node(list, n - 1), list->last);   /* just appended: the cursor */
    long before = d_list_walk_steps;
    for (int i = 0; i < n; i++)
        ASSERT_EQ(value(d_list_get_idx_node(list, i)), i);
    /* index 0 starts at first and the last index is `last` itself: one step for each of the others */
    EXPECT_EQ(d_list_walk_steps - before, n - 2);
    d_list_free(list);
}

/* Every misuse and every harmless miss: the result and what errno holds afterwards. */
struct misuse_case {
    const char *name;
    std::function<intptr_t(d_list *empty, d_list *three, d_list *other)> op;
    intptr_t result;
    bool einval;      /* false: errno must stay untouched */
};

const misuse_case misuse_cases[] = {
    {"free null", [](d_list *, d_list *, d_list *) { return (intptr_t)d_list_free(nullptr); }, 0, true},
    {"append to null", [](d_list *, d_list *, d_list *) { return (intptr_t)d_list_append_node(nullptr, item(1), nullptr, nullptr); }, 0, true},
    {"insert before null node", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_insert_node_before(t, nullptr, item(9), nullptr, nullptr); }, 0, true},
    {"insert before in null list", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_insert_node_before(nullptr, t->first, item(9), nullptr, nullptr); }, 0, true},
    {"insert before foreign node", [](d_list *, d_list *t, d_list *o) { return (intptr_t)d_list_insert_node_before(t, o->first, item(9), nullptr, nullptr); }, 0, true},
    {"insert after foreign node", [](d_list *, d_list *t, d_list *o) { return (intptr_t)d_list_insert_node_after(o, t->last, item(9), nullptr, nullptr); }, 0, true},
    {"index -1", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_get_idx_node(t, -1); }, 0, true},
    {"index == count", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_get_idx_node(t, 3); }, 0, true},
    {"index on empty", [](d_list *e, d_list *, d_list *) { return (intptr_t)d_list_get_idx_node(e, 0); }, 0, true},
    {"index on null", [](d_list *, d_list *, d_list *) { return (intptr_t)d_list_get_idx_node(nullptr, 0); }, 0, true},
    {"first of empty", [](d_list *e, d_list *, d_list *) { return (intptr_t)d_list_get_first_node(e); }, 0, true},
    {"last of null", [](d_list *, d_list *, d_list *) { return (intptr_t)d_list_get_last_node(nullptr); }, 0, true},
    {"next on empty", [](d_list *e, d_list *, d_list *) { return (intptr_t)d_list_get_next_node(e); }, 0, true},
    {"prev on null", [](d_list *, d_list *, d_list *) { return (intptr_t)d_list_get_prev_node(nullptr); }, 0, true},
    {"next at last", [](d_list *, d_list *t, d_list *) { d_list_get_last_node(t); return (intptr_t)d_list_get_next_node(t); }, 0, false},
    {"prev at first", [](d_list *, d_list *t, d_list *) { d_list_get_first_node(t); return (intptr_t)d_list_get_prev_node(t); }, 0, false},
    {"next without position", [](d_list *, d_list *t, d_list *) { d_list_insert_node_after(t, t->first, item(7), nullptr, nullptr); return (intptr_t)d_list_get_next_node(t); }, 0, false},
    {"search empty", [](d_list *e, d_list *, d_list *) { return (intptr_t)d_list_search_node(e, item(0)); }, 0, true},
    {"search miss", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_search_node(t, item(42)); }, 0, false},
    {"search without comparison", [](d_list *, d_list *t, d_list *) { t->compare = nullptr; return (intptr_t)d_list_search_node(t, item(0)); }, 0, true},
    {"search index miss", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_search_idx(t, item(42)); }, -1, false},
    {"search index without comparison", [](d_list *, d_list *t, d_list *) { t->compare = nullptr; return (intptr_t)d_list_search_idx(t, item(1)); }, -1, true},
    {"remove null node", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_remove_node(t, nullptr); }, 0, true},
    {"remove foreign node", [](d_list *, d_list *t, d_list *o) { return (intptr_t)d_list_remove_node(t, o->first); }, 0, true},
    {"search-remove miss", [](d_list *, d_list *t, d_list *) { return (intptr_t)d_list_search_remove_node(t, item(42)); }, -1, false},
    {"search-remove without comparison", [](d_list *, d_list *t, d_list *) { t->compare = nullptr; return (intptr_t)d_list_search_remove_node(t, item(1)); }, -1, true},
    {"search-remove in null", [](d_list *, d_list *, d_list *) { return (intptr_t)d_list_search_remove_node(nullptr, item(1)); }, -1, true},
    {"remove last of empty", [](d_list *e, d_list *, d_list *) { return (intptr_t)d_list_remove_last_node(e); }, 0, true},
};

class misuse_test : public testing::TestWithParam<misuse_case> {};

TEST_P(misuse_test, fails_with_its_result_and_errno)
{
    const misuse_case &c = GetParam();
    d_list *empty = list_of(0), *three = list_of(3), *other = list_of(1);
    int other_count = other->count;
    errno = 12345;
    EXPECT_EQ(c.op(empty, three, other), c.result);
    EXPECT_EQ(errno, c.einval ? EINVAL : 12345);
    EXPECT_EQ(other->count, other_count);   /* a foreign node never moves */
    EXPECT_EQ(contents(other), std::vector<intptr_t>{0});
    d_list_free(empty);
    d_list_free(three);
    d_list_free(other);
}

INSTANTIATE_TEST_SUITE_P(d_list, misuse_test, testing::ValuesIn(misuse_cases), case_name<misuse_test>);

TEST(d_list, cursor_follows_each_operation)
{
    d_list *list = d_list_new(equal_items, nullptr);
    EXPECT_EQ(list->current, nullptr);
    EXPECT_EQ(list->current_idx, 0);
    for (int i = 0; i < 4; i++) {
        d_list_node *n = d_list_append_node(list, item(i), nullptr, nullptr);
        EXPECT_EQ(list->current, n);
        EXPECT_EQ(list->current_idx, i);
    }
    EXPECT_EQ(value(d_list_get_first_node(list)), 0);
    EXPECT_EQ(value(d_list_get_next_node(list)), 1);
    EXPECT_EQ(value(d_list_get_next_node(list)), 2);
    EXPECT_EQ(list->current_idx, 2);
    EXPECT_EQ(value(d_list_get_prev_node(list)), 1);
    EXPECT_EQ(list->current_idx, 1);
    EXPECT_EQ(value(d_list_get_last_node(list)), 3);
    EXPECT_EQ(list->current_idx, 3);
    EXPECT_EQ(d_list_search_idx(list, item(2)), 2);
    EXPECT_EQ(list->current, list->last->prev);
    EXPECT_EQ(d_list_search_node(list, item(9)), nullptr);   /* a miss keeps the cursor */
    EXPECT_EQ(list->current_idx, 2);
    d_list_insert_node_before(list, list->first, item(-1), nullptr, nullptr);
    EXPECT_EQ(list->current, nullptr);
    EXPECT_EQ(list->current_idx, -1);
    EXPECT_EQ(d_list_get_prev_node(list), nullptr);
    EXPECT_EQ(value(d_list_get_idx_node(list, 4)), 3);
    EXPECT_EQ(d_list_remove_node(list, list->first), 1);
    EXPECT_EQ(list->current, nullptr);
    EXPECT_EQ(list->current_idx, -1);
    d_list_free(list);
}

TEST(d_list, insertion_places_node_and_keeps_links)
{
    d_list *list = list_of(2);                       /* 0 1 */
    d_list_insert_node_before(list, list->first, item(10), nullptr, nullptr);
    d_list_insert_node_after(list, list->last, item(11), nullptr, nullptr);
    d_list_insert_node_after(list, list->first, item(12), nullptr, nullptr);
    d_list_insert_node_before(list, list->last, item(13), nullptr, nullptr);
    EXPECT_EQ(contents(list), (std::vector<intptr_t>{10, 12, 0, 1, 13, 11}));
    d_list_free(list);
}

TEST(d_list, search_uses_node_comparison_before_list_comparison)
{
    d_list *list = d_list_new(nullptr, nullptr);
    d_list_append_node(list, item(5), equal_items, nullptr);
    d_list_append_node(list, item(6), nullptr, nullptr);
    EXPECT_EQ(d_list_search_idx(list, item(5)), 0);
    errno = 0;
    EXPECT_EQ(d_list_search_idx(list, item(6)), -1);  /* reaches the node without any comparison */
    EXPECT_EQ(errno, EINVAL);
    d_list_free(list);
}

/* Alike whether the nodes come from calloc, from the list's own pool or
 * from another list's pool (under ASan, a pooled node given to free fails). */
TEST(d_list, removal_releases_each_data_once)
{
    d_list *owner = d_list_new_pooled(nullptr, nullptr);
    for (int kind = 0; kind < 3; kind++) {
        SCOPED_TRACE(kind);
        released.clear();
        d_list *list = kind == 0   ? d_list_new(equal_items, record_release)
                       : kind == 1 ? d_list_new_pooled(equal_items, record_release)
                                   : d_list_new_in(owner->pool, equal_items, record_release);
        for (int i = 0; i < 5; i++)
            d_list_append_node(list, item(i), nullptr, nullptr);
        d_list_append_node(list, item(5), nullptr, record_release_negated);
        EXPECT_EQ(d_list_search_remove_node(list, item(2)), 1);
        EXPECT_EQ(d_list_remove_last_node(list), 1);     /* the node with its own release */
        EXPECT_EQ(d_list_remove_node(list, list->first), 1);
        EXPECT_EQ(released, (std::vector<intptr_t>{2, -5, 0}));
        EXPECT_EQ(contents(list), (std::vector<intptr_t>{1, 3, 4}));
        released.clear();
        list->attachment = item(77);
        list->free_attachment = record_release_negated;
        EXPECT_EQ(d_list_free(list), 1);
        /* the attachment goes after the nodes, once */
        EXPECT_EQ(released, (std::vector<intptr_t>{1, 3, 4, -77}));
    }
    EXPECT_EQ(d_list_free(owner), 1);
}

TEST(d_list, removing_the_only_node_leaves_a_valid_empty_list)
{
    released.clear();
    d_list *list = list_of(1, equal_items, record_release);
    EXPECT_EQ(d_list_remove_node(list, list->first), 1);
    EXPECT_EQ(list->first, nullptr);
    EXPECT_EQ(list->last, nullptr);
    EXPECT_EQ(list->count, 0);
    errno = 0;
    EXPECT_EQ(d_list_get_first_node(list), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_NE(d_list_append_node(list, item(8), nullptr, nullptr), nullptr);
    EXPECT_EQ(contents(list), std::vector<intptr_t>{8});
    EXPECT_EQ(d_list_free(list), 1);
    EXPECT_EQ(released, (std::vector<intptr_t>{0, 8}));
}

/* Records of every size come zero-filled, aligned and apart, through a row
 * of blocks that passes the size from which blocks are mapped on their own,
 * and go back together (under ASan, a block given back the wrong way fails). */
TEST(pool, records_are_zeroed_aligned_and_apart_across_block_sizes)
{
    pool *from = pool_new();
    ASSERT_NE(from, nullptr);
    std::vector<std::pair<unsigned char *, size_t>> records;
    size_t total = 0;
    for (size_t i = 0; total < (size_t)24 << 20; i++) {
        const size_t size = i % 97 == 0 ? ((size_t)1 << 20) + 3 : 1 + i % 61;
        auto *record = (unsigned char *)pool_alloc(from, size);
        ASSERT_NE(record, nullptr);
        ASSERT_EQ((uintptr_t)record % 8, 0u);
        ASSERT_TRUE(std::all_of(record, record + size, [](unsigned char c) { return c == 0; })) << "record " << i;
        memset(record, 0xA5, size);
        records.push_back({record, size});
        total += size;
    }
    for (const auto &[record, size] : records)  /* no later record overlapped it */
        ASSERT_TRUE(std::all_of(record, record + size, [](unsigned char c) { return c == 0xA5; }));
    pool_free(from);
}

}  // namespace
