/* pool.cpp - a bump allocator over a chain of calloc'd blocks, each twice
 * the one before up to 1 MiB, so that a small list (a drill file's bit of a
 * few holes) costs a few KiB, not a megabyte. */
#include "holes/pool.h"

#include <cstdlib>

static const size_t FIRST_BLOCK_SIZE = 1 << 8, LAST_BLOCK_SIZE = 1 << 20, ALIGNMENT = 8;

typedef struct pool_block {
    struct pool_block *previous;   /* the block filled before, or null */
} pool_block;

struct pool {
    pool_block *newest;   /* null until the first record */
    char *next;           /* the free part of the newest block */
    size_t left;          /* its size in bytes */
    size_t block_size;    /* of the last block of the growing row; 0 before the first */
};

/* A block header rounded up, so that the records after it stay aligned. */
static const size_t HEADER_SIZE = (sizeof(pool_block) + ALIGNMENT - 1) / ALIGNMENT * ALIGNMENT;

pool *pool_new(void)
{
    return (pool *)calloc(1, sizeof(pool));
}

void *pool_alloc(pool *from, size_t size)
{
    size = (size + ALIGNMENT - 1) / ALIGNMENT * ALIGNMENT;
    if (size > from->left) {
        /* A record larger than a block gets a block of its own size; calloc
         * hands large blocks out as fresh, already zeroed pages. */
        size_t grown = from->block_size == 0 ? FIRST_BLOCK_SIZE
                       : from->block_size < LAST_BLOCK_SIZE ? 2 * from->block_size
                                                            : LAST_BLOCK_SIZE;
        from->block_size = grown;
        size_t block_size = size + HEADER_SIZE > grown ? size + HEADER_SIZE : grown;
        pool_block *block = (pool_block *)calloc(1, block_size);
        if (block == nullptr)
            return nullptr;
        block->previous = from->newest;
        from->newest = block;
        from->next = (char *)block + HEADER_SIZE;
        from->left = block_size - HEADER_SIZE;
    }
    void *record = from->next;
    from->next += size;
    from->left -= size;
    return record;
}

void pool_free(pool *from)
{
    if (from == nullptr)
        return;
    pool_block *block = from->newest;
    while (block) {
        pool_block *previous = block->previous;
        free(block);
        block = previous;
    }
    free(from);
}
