// A plain Wayland window for the desktop tests to give the focus to: a gray rectangle that
// writes "token TOKEN" on standard output each time it gains the focus, with an activation
// token the compositor made for it, as a launcher asks for one before it starts a program.
#define _GNU_SOURCE
#include "xdg-activation-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

enum { kWidth = 120, kHeight = 80 };

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct xdg_wm_base* wm_base;
static struct xdg_activation_v1* activation;
static struct wl_surface* surface;
static int activated;

static void on_global(void* data, struct wl_registry* registry, uint32_t name,
                      const char* interface, uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, wl_compositor_interface.name) == 0)
        compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
    else if (strcmp(interface, wl_shm_interface.name) == 0)
        shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    else if (strcmp(interface, xdg_wm_base_interface.name) == 0)
        wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    else if (strcmp(interface, xdg_activation_v1_interface.name) == 0)
        activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static void on_ping(void* data, struct xdg_wm_base* base, uint32_t serial) {
    (void)data;
    xdg_wm_base_pong(base, serial);
}

static void on_token(void* data, struct xdg_activation_token_v1* token, const char* value) {
    (void)data;
    printf("token %s\n", value);
    fflush(stdout);
    xdg_activation_token_v1_destroy(token);
}

static const struct xdg_activation_token_v1_listener token_listener = {on_token};

static void on_surface_configure(void* data, struct xdg_surface* xdg_surface, uint32_t serial) {
    (void)data;
    xdg_surface_ack_configure(xdg_surface, serial);
    const int stride = kWidth * 4;
    const int size = stride * kHeight;
    const int fd = memfd_create("other-window", 0);
    if (fd < 0 || ftruncate(fd, size) != 0)
        exit(1);
    uint32_t* pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED)
        exit(1);
    for (int i = 0; i < kWidth * kHeight; ++i)
        pixels[i] = 0xff606060;
    munmap(pixels, size);
    struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    struct wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, kWidth, kHeight, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, kWidth, kHeight);
    wl_surface_commit(surface);
}

static void on_toplevel_configure(void* data, struct xdg_toplevel* toplevel, int32_t width,
                                  int32_t height, struct wl_array* states) {
    (void)data;
    (void)toplevel;
    (void)width;
    (void)height;
    int now = 0;
    uint32_t* state;
    wl_array_for_each(state, states) now = now || *state == XDG_TOPLEVEL_STATE_ACTIVATED;
    if (now && !activated && activation != NULL) {
        struct xdg_activation_token_v1* token = xdg_activation_v1_get_activation_token(activation);
        xdg_activation_token_v1_add_listener(token, &token_listener, NULL);
        xdg_activation_token_v1_set_surface(token, surface);
        xdg_activation_token_v1_commit(token);
    }
    activated = now;
}

static void on_close(void* data, struct xdg_toplevel* toplevel) {
    (void)data;
    (void)toplevel;
    exit(0);
}

int main(void) {
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "other_window: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (compositor == NULL || shm == NULL || wm_base == NULL) {
        fprintf(stderr, "other_window: the compositor lacks a global this window needs\n");
        return 1;
    }
    static const struct xdg_wm_base_listener base_listener = {on_ping};
    xdg_wm_base_add_listener(wm_base, &base_listener, NULL);
    surface = wl_compositor_create_surface(compositor);
    struct xdg_surface* xdg_surface = xdg_wm_base_get_xdg_surface(wm_base, surface);
    static const struct xdg_surface_listener surface_listener = {on_surface_configure};
    xdg_surface_add_listener(xdg_surface, &surface_listener, NULL);
    struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg_surface);
    // Named: later versions of the protocol add events this window does not bind.
    static const struct xdg_toplevel_listener toplevel_listener = {
        .configure = on_toplevel_configure, .close = on_close};
    xdg_toplevel_add_listener(toplevel, &toplevel_listener, NULL);
    xdg_toplevel_set_title(toplevel, "Other window");
    xdg_toplevel_set_app_id(toplevel, "other-window");
    wl_surface_commit(surface);
    while (wl_display_dispatch(display) != -1) {
    }
    return 0;
}
