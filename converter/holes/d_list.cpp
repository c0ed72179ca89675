/* d_list.cpp - the doubly linked list with a cursor.
 *
 * Roots and nodes come from calloc and go back with free, or from a pool
 * and go back with it: the list reports
 * exhaustion as a null result instead of ending the process, so that its
 * callers decide what a failure means. */
#include "holes/d_list.h"

#include "holes/pool.h"

#include <cerrno>
#include <cstdlib>

int32_t d_list_next_id = 0;
long d_list_walk_steps = 0;

d_list *d_list_new(d_list_compare_fn compare, d_list_free_fn free_data)
{
    return d_list_new_in(nullptr, compare, free_data);
}

d_list *d_list_new_in(pool *from, d_list_compare_fn compare, d_list_free_fn free_data)
{
    d_list *list = (d_list *)(from ? pool_alloc(from, sizeof(d_list)) : calloc(1, sizeof(d_list)));
    if (list == nullptr)
        return nullptr;
    list->id = d_list_next_id++;
    list->current_idx = 0;   /* no cursor yet, though current is null */
    list->compare = compare;
    list->free_data = free_data;
    list->pool = from;
    return list;
}

d_list *d_list_new_pooled(d_list_compare_fn compare, d_list_free_fn free_data)
{
    pool *own = pool_new();
    if (own == nullptr)
        return nullptr;
    d_list *list = d_list_new(compare, free_data);
    if (list == nullptr) {
        pool_free(own);
        return nullptr;
    }
    list->pool = own;
    list->owns_pool = 1;
    return list;
}

static void release_data(const d_list *list, d_list_node *node)
{
    if (node->free_data)
        node->free_data(node->data);
    else if (list->free_data)
        list->free_data(node->data);
}

static void clear_cursor(d_list *list)
{
    list->current = nullptr;
    list->current_idx = -1;
}

int d_list_free(d_list *list)
{
    if (list == nullptr) {
        errno = EINVAL;
        return 0;
    }
    d_list_node *node = list->first;
    while (node) {
        d_list_node *next = node->next;
        release_data(list, node);
        if (list->pool == nullptr)
            free(node);
        node = next;
    }
    if (list->free_attachment)
        list->free_attachment(list->attachment);
    if (list->owns_pool)
        pool_free(list->pool);
    if (list->owns_pool || list->pool == nullptr)
        free(list);
    return 1;
}

static d_list_node *new_node(const d_list *list, void *data, d_list_compare_fn compare, d_list_free_fn free_data)
{
    d_list_node *node = (d_list_node *)(list->pool ? pool_alloc(list->pool, sizeof(d_list_node))
                                                   : calloc(1, sizeof(d_list_node)));
    if (node == nullptr)
        return nullptr;
    node->list_id = list->id;
    node->data = data;
    node->compare = compare;
    node->free_data = free_data;
    return node;
}

d_list_node *d_list_append_node(d_list *list, void *data, d_list_compare_fn compare, d_list_free_fn free_data)
{
    if (list == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    d_list_node *node = new_node(list, data, compare, free_data);
    if (node == nullptr)
        return nullptr;
    node->prev = list->last;
    if (list->last)
        list->last->next = node;
    else
        list->first = node;
    list->last = node;
    list->current = node;
    list->current_idx = list->count;
    list->count++;
    return node;
}

static bool owns(const d_list *list, const d_list_node *node)
{
    return list != nullptr && node != nullptr && node->list_id == list->id;
}

/* Links a new node between prev and next (either may be null at an end); clears the cursor. */
static d_list_node *insert_between(d_list *list, d_list_node *prev, d_list_node *next, void *data,
                                   d_list_compare_fn compare, d_list_free_fn free_data)
{
    d_list_node *added = new_node(list, data, compare, free_data);
    if (added == nullptr)
        return nullptr;
    added->prev = prev;
    added->next = next;
    if (prev)
        prev->next = added;
    else
        list->first = added;
    if (next)
        next->prev = added;
    else
        list->last = added;
    list->count++;
    clear_cursor(list);
    return added;
}

d_list_node *d_list_insert_node_before(d_list *list, d_list_node *node, void *data, d_list_compare_fn compare, d_list_free_fn free_data)
{
    if (!owns(list, node)) {
        errno = EINVAL;
        return nullptr;
    }
    return insert_between(list, node->prev, node, data, compare, free_data);
}

d_list_node *d_list_insert_node_after(d_list *list, d_list_node *node, void *data, d_list_compare_fn compare, d_list_free_fn free_data)
{
    if (!owns(list, node)) {
        errno = EINVAL;
        return nullptr;
    }
    return insert_between(list, node, node->next, data, compare, free_data);
}

/* Follows `steps` links from `node`, forwards or backwards; null if a link is missing. */
static d_list_node *walk(d_list_node *node, int32_t steps, bool forwards)
{
    for (int32_t k = 0; k < steps && node; k++) {
        node = forwards ? node->next : node->prev;
        d_list_walk_steps++;
    }
    return node;
}

d_list_node *d_list_get_idx_node(d_list *list, int32_t idx)
{
    if (list == nullptr || list->first == nullptr || list->last == nullptr || idx < 0 || idx >= list->count) {
        errno = EINVAL;
        return nullptr;
    }
    int32_t to_last = list->count - 1 - idx;
    d_list_node *found;
    if (list->current && list->current_idx >= 0) {
        if (idx == list->current_idx)
            return list->current;
        if (idx > list->current_idx) {
            int32_t d = idx - list->current_idx;
            found = to_last < d ? walk(list->last, to_last, false) : walk(list->current, d, true);
        } else {
            int32_t d = list->current_idx - idx;
            found = idx < d ? walk(list->first, idx, true) : walk(list->current, d, false);
        }
    } else if (idx < list->count / 2) {
        found = walk(list->first, idx, true);
    } else {
        found = walk(list->last, to_last, false);
    }
    list->current = found;
    list->current_idx = found ? idx : -1;
    return found;
}

d_list_node *d_list_get_first_node(d_list *list)
{
    if (list == nullptr || list->first == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    list->current = list->first;
    list->current_idx = 0;
    return list->current;
}

d_list_node *d_list_get_last_node(d_list *list)
{
    if (list == nullptr || list->last == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    list->current = list->last;
    list->current_idx = list->count - 1;
    return list->current;
}

d_list_node *d_list_get_next_node(d_list *list)
{
    if (list == nullptr || list->first == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    if (list->current == nullptr || list->current == list->last || list->current_idx >= list->count - 1)
        return nullptr;
    list->current = list->current->next;
    list->current_idx++;
    return list->current;
}

d_list_node *d_list_get_prev_node(d_list *list)
{
    if (list == nullptr || list->first == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    if (list->current == nullptr || list->current == list->first || list->current_idx <= 0)
        return nullptr;
    list->current = list->current->prev;
    list->current_idx--;
    return list->current;
}

/* The first node from the front that matches `key`, with its index. Sets
 * EINVAL on a bad list or a node without any comparison; a miss leaves errno
 * and the cursor alone. */
static d_list_node *find(d_list *list, void *key, int32_t *index)
{
    if (list == nullptr || list->first == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    d_list_node *node = list->first;
    for (int32_t i = 0; node && i < list->count; i++, node = node->next) {
        d_list_compare_fn compare = node->compare ? node->compare : list->compare;
        if (compare == nullptr) {
            errno = EINVAL;
            return nullptr;
        }
        if (compare(node->data, key) == 0) {
            list->current = node;
            list->current_idx = i;
            *index = i;
            return node;
        }
    }
    return nullptr;
}

d_list_node *d_list_search_node(d_list *list, void *key)
{
    int32_t index;
    return find(list, key, &index);
}

int32_t d_list_search_idx(d_list *list, void *key)
{
    int32_t index;
    return find(list, key, &index) ? index : -1;
}

int d_list_remove_node(d_list *list, d_list_node *node)
{
    if (!owns(list, node) || list->first == nullptr) {
        errno = EINVAL;
        return 0;
    }
    if (node->prev)
        node->prev->next = node->next;
    else
        list->first = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        list->last = node->prev;
    release_data(list, node);
    if (list->pool == nullptr)
        free(node);   /* a pooled node waits for its pool */
    list->count--;
    clear_cursor(list);
    return 1;
}

int d_list_search_remove_node(d_list *list, void *key)
{
    int32_t index;
    d_list_node *node = find(list, key, &index);
    if (node == nullptr)
        return -1;
    return d_list_remove_node(list, node);
}

int d_list_remove_last_node(d_list *list)
{
    d_list_node *last = d_list_get_last_node(list);
    if (last == nullptr)
        return 0;
    return d_list_remove_node(list, last);
}
