/* pool.cpp - a bump allocator over a chain of blocks, each twice the one
 * before up to 64 MiB: a small list (a drill file's bit of a few holes) costs
 * a few KiB, a large board few blocks. Blocks from 2 MiB on are backed by
 * large pages where the system has them: the first write to each small page
 * was a fifth of a large board's time. A block holds pages only where records
 * were written. */
#include "holes/pool.h"

#include <cstdlib>

#include "system/platform.h"

static const size_t FIRST_BLOCK_SIZE = 1 << 8, LAST_BLOCK_SIZE = 64 << 20, ALIGNMENT = 8;

typedef struct pool_block {
    struct pool_block *previous;   /* the block filled before, or null */
    size_t size;                   /* in bytes, this header included */
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

/* A zero-filled block of `size` bytes; its size recorded in it. */
static pool_block *new_block(size_t size)
{
    pool_block *block = (pool_block *)platform_large_block(size);
    if (block != nullptr)
        block->size = size;
    return block;
}

static void free_block(pool_block *block)
{
    platform_release_block(block, block->size);
}

void *pool_alloc(pool *from, size_t size)
{
    size = (size + ALIGNMENT - 1) / ALIGNMENT * ALIGNMENT;
    if (size > from->left) {
        /* A record larger than a block gets a block of its own size. */
        size_t grown = from->block_size == 0 ? FIRST_BLOCK_SIZE
                       : from->block_size < LAST_BLOCK_SIZE ? 2 * from->block_size
                                                            : LAST_BLOCK_SIZE;
        from->block_size = grown;
        pool_block *block = new_block(size + HEADER_SIZE > grown ? size + HEADER_SIZE : grown);
        if (block == nullptr)
            return nullptr;
        block->previous = from->newest;
        from->newest = block;
        from->next = (char *)block + HEADER_SIZE;
        from->left = block->size - HEADER_SIZE;
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
        free_block(block);
        block = previous;
    }
    free(from);
}
