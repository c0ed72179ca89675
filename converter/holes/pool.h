/* pool.h - records taken from large blocks and released all at once.
 *
 * A hole list holds several small records a hole (the hole, its section,
 * their list nodes); taken one by one from malloc they cost more than the
 * grouping itself on a large board, in calls, headers and fresh pages. A
 * pool hands them out side by side and returns them together. */
#ifndef POOL_H
#define POOL_H

#include <cstddef>

typedef struct pool pool;

/* New empty pool; null when memory runs out. */
pool *pool_new(void);
/* `size` zero-filled bytes, aligned for any record of pointers and doubles,
 * valid until pool_free; null when memory runs out. */
void *pool_alloc(pool *from, size_t size);
/* Releases every record taken from the pool, and the pool. */
void pool_free(pool *from);

#endif
