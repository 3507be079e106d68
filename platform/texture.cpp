#include "platform/texture.h"

#include "platform/mem.h"

namespace {

struct TextureSlots {
    Texture* slots[TEXTURE_SLOTS];
};

TextureSlots textures;

const Texture* tex_record(int32_t slot)
{
    return slot >= 0 && slot < TEXTURE_SLOTS ? textures.slots[slot] : nullptr;
}

bool tex_valid_log2(int32_t log2_size)
{
    return log2_size >= 0 && log2_size <= TEXTURE_LOG2_MAX;
}

} // namespace

void tex_init()
{
    textures = {};
}

void tex_free(int32_t slot)
{
    if (!tex_record(slot))
        return;
    Texture*& texture = textures.slots[slot];
    mem_free(texture->owned_block);
    mem_free(texture);
    texture = nullptr;
}

void tex_free_all()
{
    for (int32_t slot = 0; slot < TEXTURE_SLOTS; ++slot)
        tex_free(slot);
}

int32_t tex_create(int32_t log2_width, int32_t log2_height)
{
    if (!tex_valid_log2(log2_width) || !tex_valid_log2(log2_height))
        return -1;
    int32_t slot = 0;
    while (slot < TEXTURE_SLOTS && textures.slots[slot])
        ++slot;
    if (slot == TEXTURE_SLOTS)
        return -1;
    auto* texture = static_cast<Texture*>(mem_alloc(sizeof(Texture)));
    if (!texture)
        return -2;
    const int32_t pixel_bytes = static_cast<int32_t>(sizeof(Pixel)) << (log2_width + log2_height);
    void* block = mem_alloc(pixel_bytes);
    if (!block) {
        mem_free(texture);
        return -2;
    }
    *texture = {log2_width, log2_height, static_cast<Pixel*>(block), block};
    textures.slots[slot] = texture;
    return slot;
}

int32_t tex_log2_width(int32_t slot)
{
    const Texture* texture = tex_record(slot);
    return texture ? texture->log2_width : 0;
}

int32_t tex_log2_height(int32_t slot)
{
    const Texture* texture = tex_record(slot);
    return texture ? texture->log2_height : 0;
}

Pixel* tex_pixels(int32_t slot)
{
    const Texture* texture = tex_record(slot);
    return texture ? texture->pixels : nullptr;
}
