#include "platform/wayland/WlShmRing.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace {

// XRGB8888 holds red in bits 16-23 and blue in bits 0-7: the other way round.
std::uint32_t XrgbOf(PackedColour colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

}  // namespace

const wl_buffer_listener CWlShmRing::kReleaseListener = [] {
    wl_buffer_listener listener{};
    listener.release = [](void* data, wl_buffer* buffer) {
        auto& buffers = static_cast<CWlShmRing*>(data)->m_buffers;
        buffers.erase(std::remove(buffers.begin(), buffers.end(), buffer), buffers.end());
        wl_buffer_destroy(buffer);
    };
    return listener;
}();

std::unique_ptr<CWlShmRing> CWlShmRing::Create(wl_shm* shm, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const std::size_t bytes = static_cast<std::size_t>(width) * 4 * 2 * static_cast<std::size_t>(height);
    const int fd = memfd_create("lucenta-picture", MFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    void* memory = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
        memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    if (memory == MAP_FAILED || bytes > 0x7FFFFFFF) {
        if (memory != MAP_FAILED) {
            munmap(memory, bytes);
        }
        close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    close(fd);  // the pool has the memory now
    return std::unique_ptr<CWlShmRing>(
        new CWlShmRing(width, height, static_cast<std::uint32_t*>(memory), bytes, pool));
}

CWlShmRing::CWlShmRing(int width, int height, std::uint32_t* pixels, std::size_t bytes, wl_shm_pool* pool)
    : m_width(width), m_height(height), m_pixels(pixels), m_bytes(bytes), m_pool(pool) {}

// The compositor keeps the memory of buffers it still holds.
CWlShmRing::~CWlShmRing() {
    for (wl_buffer* buffer : m_buffers) {
        wl_buffer_destroy(buffer);
    }
    wl_shm_pool_destroy(m_pool);
    munmap(m_pixels, m_bytes);
}

void CWlShmRing::SetPixel(int x, int y, PackedColour colour) {
    if (x < 0 || x >= m_width || y < 0 || y >= m_height) {
        return;
    }
    const std::uint32_t pixel = XrgbOf(colour);
    PutTwice(m_top + y, x, pixel);
    if (y == m_height - 1) {
        PutTwice(m_top + m_height, x, pixel);  // the row that is the bottom one after the scroll
    }
}

void CWlShmRing::ScrollUp() {
    m_top = (m_top + 1) % m_height;
}

void CWlShmRing::Fill(PackedColour colour) {
    std::fill(m_pixels, m_pixels + m_bytes / 4, XrgbOf(colour));
}

void CWlShmRing::AttachTo(wl_surface* surface) {
    const std::int32_t stride = m_width * 4;
    wl_buffer* buffer =
        wl_shm_pool_create_buffer(m_pool, m_top * stride, m_width, m_height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(buffer, &kReleaseListener, this);
    m_buffers.push_back(buffer);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage_buffer(surface, 0, 0, m_width, m_height);
}
