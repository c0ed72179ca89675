/* pool.cpp - a bump allocator over a chain of large blocks.
 *
 * The blocks double from 1 MiB up to 64 MiB, so a small board keeps a small
 * footprint and a large one takes few blocks, backed by large pages where the
 * system has them: the first write to each small page was a fifth of a large
 * board's time. A block holds pages only where records were written. */
#include "holes/pool.h"

#include <cstdlib>

#include "system/platform.h"

static const size_t FIRST_BLOCK = 1 << 20, LARGEST_BLOCK = 64 << 20, ALIGNMENT = 8;

typedef struct pool_block {
    struct pool_block *previous;   /* the block filled before, or null */
    size_t size;                   /* in bytes, this header included */
} pool_block;

struct pool {
    pool_block *newest;   /* null until the first record */
    char *next;           /* the free part of the newest block */
    size_t left;          /* its size in bytes */
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
        /* A record larger than a block gets a block of its own size, in whole
         * mebibytes (whole pages on every system). Fresh blocks are zeroed. */
        size_t block_size = from->newest == nullptr ? FIRST_BLOCK : from->newest->size * 2;
        block_size = block_size < LARGEST_BLOCK ? block_size : LARGEST_BLOCK;
        if (size + HEADER_SIZE > block_size)
            block_size = (size + HEADER_SIZE + FIRST_BLOCK - 1) / FIRST_BLOCK * FIRST_BLOCK;
        pool_block *block = (pool_block *)platform_large_block(block_size);
        if (block == nullptr)
            return nullptr;
        block->previous = from->newest;
        block->size = block_size;
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
        platform_release_block(block, block->size);
        block = previous;
    }
    free(from);
}
