#pragma once

#include <wayland-client.h>

#include <memory>

#include "platform/wayland/WaylandSurface.h"

// Rows in a wl_shm pool of their own (memory shared through a memfd), shown as
// buffers on `surface`. nullptr when the memory cannot be had.
std::unique_ptr<ISharedRows> MakeShmRows(wl_shm* shm, wl_surface* surface, int width, int rows);
