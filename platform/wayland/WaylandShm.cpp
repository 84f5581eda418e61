#include "platform/wayland/WaylandShm.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <list>

namespace {

class CShmRows : public ISharedRows {
  public:
    CShmRows(wl_surface* surface, int width, std::uint32_t* pixels, std::size_t bytes, wl_shm_pool* pool)
        : m_surface(surface), m_width(width), m_pixels(pixels), m_bytes(bytes), m_pool(pool) {}

    // The compositor keeps the memory of the buffers it still holds; they are
    // destroyed without their release being waited for.
    ~CShmRows() override {
        for (Buffer& buffer : m_buffers) {
            wl_buffer_destroy(buffer.buffer);
        }
        wl_shm_pool_destroy(m_pool);
        munmap(m_pixels, m_bytes);
    }

    std::uint32_t* Pixels() override { return m_pixels; }

    void Attach(int firstRow, int height, std::function<void()> released) override {
        const std::int32_t stride = m_width * 4;
        wl_buffer* buffer = wl_shm_pool_create_buffer(m_pool, firstRow * stride, m_width, height, stride,
                                                      WL_SHM_FORMAT_XRGB8888);
        m_buffers.push_back({this, buffer, std::move(released)});
        wl_buffer_add_listener(buffer, &kReleaseListener, &m_buffers.back());
        wl_surface_attach(m_surface, buffer, 0, 0);
        wl_surface_damage_buffer(m_surface, 0, 0, m_width, height);
    }

  private:
    struct Buffer {
        CShmRows* owner;
        wl_buffer* buffer;
        std::function<void()> released;
    };

    // The buffer is forgotten before its owner hears of the release: the owner
    // may let these rows go from there.
    void OnRelease(Buffer* released) {
        std::function<void()> tell = std::move(released->released);
        wl_buffer_destroy(released->buffer);
        m_buffers.remove_if([released](const Buffer& b) { return &b == released; });
        tell();
    }

    static const wl_buffer_listener kReleaseListener;

    wl_surface* m_surface;
    int m_width;
    std::uint32_t* m_pixels;
    std::size_t m_bytes;
    wl_shm_pool* m_pool;
    std::list<Buffer> m_buffers;  // attached and not yet released
};

const wl_buffer_listener CShmRows::kReleaseListener = [] {
    wl_buffer_listener listener{};
    listener.release = [](void* data, wl_buffer*) {
        auto* buffer = static_cast<Buffer*>(data);
        buffer->owner->OnRelease(buffer);
    };
    return listener;
}();

}  // namespace

std::unique_ptr<ISharedRows> MakeShmRows(wl_shm* shm, wl_surface* surface, int width, int rows) {
    const std::size_t bytes = static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(rows);
    if (bytes > 0x7FFFFFFF) {
        return nullptr;  // more than a pool can have
    }
    const int fd = memfd_create("lucenta-picture", MFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    void* memory = ftruncate(fd, static_cast<off_t>(bytes)) == 0
                       ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                       : MAP_FAILED;
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    close(fd);  // the pool has the memory now
    return std::make_unique<CShmRows>(surface, width, static_cast<std::uint32_t*>(memory), bytes, pool);
}
