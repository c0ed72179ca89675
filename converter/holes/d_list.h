/* d_list.h - a doubly linked list of untyped data pointers.
 *
 * The list owns its nodes and, through a release function, the data they
 * carry. A cursor remembers the node last reached, so that visiting the
 * indexes 0, 1, 2, ... with d_list_get_idx_node costs one step per call.
 * The list never prints: misuse sets errno to EINVAL and returns the
 * operation's failure value (null, 0 or -1); running out of memory returns
 * null with errno untouched. Read the node count from the root's `count`.
 *
 * A list may take its nodes from a pool (pool.h) instead of calloc: one that
 * owns its pool returns them all when freed, one made inside another's pool
 * (root and nodes) leaves its memory to the pool's owner. */
#ifndef D_LIST_H
#define D_LIST_H

#include <cstdint>

/* 0 when the node's data matches the key, anything else when it does not. */
typedef int32_t (*d_list_compare_fn)(void *data, void *key);
/* Releases one node's data; called once per node on removal or free. */
typedef void (*d_list_free_fn)(void *data);

typedef struct d_list_node {
    int32_t list_id;             /* id of the list the node was made for */
    struct d_list_node *prev;    /* null at the front */
    struct d_list_node *next;    /* null at the end */
    void *data;                  /* the caller's data, never looked into */
    d_list_compare_fn compare;   /* per-node comparison, overrides the list's */
    d_list_free_fn free_data;    /* per-node release, overrides the list's */
} d_list_node;

typedef struct d_list {
    int32_t id;                  /* taken from d_list_next_id at creation */
    int32_t owns_pool;           /* 1 when the root is calloc'd and releases the pool */
    d_list_node *first;
    d_list_node *last;
    d_list_node *current;        /* the cursor, or null */
    int32_t current_idx;         /* index of current; -1 without a position */
    int32_t count;               /* number of nodes */
    d_list_compare_fn compare;   /* list-wide comparison, may be null */
    d_list_free_fn free_data;    /* list-wide release, may be null */
    void *attachment;            /* the owner's data about the whole list (an index), or null */
    d_list_free_fn free_attachment;  /* releases the attachment when the list is freed */
    struct pool *pool;           /* where the nodes come from, or null: calloc */
} d_list;

extern int32_t d_list_next_id;   /* identity of the next list created */
/* Cost measure: link steps walked by d_list_get_idx_node since start-up. */
extern long d_list_walk_steps;

/* New empty list; null when memory runs out. */
d_list *d_list_new(d_list_compare_fn compare, d_list_free_fn free_data);
/* New empty list with a pool of its own for its nodes and for lists made in it; null when memory runs out. */
d_list *d_list_new_pooled(d_list_compare_fn compare, d_list_free_fn free_data);
/* New empty list whose root and nodes come from `from` (a null pool: calloc, as d_list_new); null when memory runs out. */
d_list *d_list_new_in(struct pool *from, d_list_compare_fn compare, d_list_free_fn free_data);
/* Releases every node's data front to back, the nodes, the attachment and
 * the root (memory taken from a pool goes back with its owner's pool); 1, or 0 for a null list. */
int d_list_free(d_list *list);

/* Appends a node at the end; the cursor moves onto it. */
d_list_node *d_list_append_node(d_list *list, void *data, d_list_compare_fn compare, d_list_free_fn free_data);
/* Inserts a node just before / after `node`, which must belong to `list`; clears the cursor. */
d_list_node *d_list_insert_node_before(d_list *list, d_list_node *node, void *data, d_list_compare_fn compare, d_list_free_fn free_data);
d_list_node *d_list_insert_node_after(d_list *list, d_list_node *node, void *data, d_list_compare_fn compare, d_list_free_fn free_data);

/* Node at a 0-based index, walking from the cursor, the front or the back, whichever is shortest. */
d_list_node *d_list_get_idx_node(d_list *list, int32_t idx);
d_list_node *d_list_get_first_node(d_list *list);
d_list_node *d_list_get_last_node(d_list *list);
/* Steps the cursor; null without errno at either end or without a position. */
d_list_node *d_list_get_next_node(d_list *list);
d_list_node *d_list_get_prev_node(d_list *list);

/* First node from the front whose comparison returns 0 for `key`; the cursor moves onto it. */
d_list_node *d_list_search_node(d_list *list, void *key);
/* Index of that node, or -1. */
int32_t d_list_search_idx(d_list *list, void *key);

/* Unlinks `node`, releases its data and frees it; 1 on success, 0 on misuse. */
int d_list_remove_node(d_list *list, d_list_node *node);
/* Removes the first node matching `key`: 1, -1 without a match or on misuse, 0 for a foreign node. */
int d_list_search_remove_node(d_list *list, void *key);
/* Removes the last node; 1 on success, 0 on misuse. */
int d_list_remove_last_node(d_list *list);

#endif
