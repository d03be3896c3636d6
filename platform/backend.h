// Inside the platform layer: what the window and message code needs of the
// display that is behind it.
#pragma once

#include <cstdint>

#include "platform/wince.h"

namespace zp {

class Backend {
public:
    virtual ~Backend() = default;
    virtual uint32_t ticks() = 0;
    // Turn what the display has seen into posted messages for `window`.
    virtual void pump(HWND window) = 0;
    // Nothing was pending at a poll.
    virtual void idle() = 0;
    // A poll found a message.
    virtual void delivered() {}
    // Block until the display has something or `ms` have passed.
    virtual void wait(uint32_t ms) = 0;
    virtual void window_created(const wchar_t* title) = 0;
    virtual void window_destroyed() = 0;
    virtual void present(const uint16_t* pixels) = 0;
};

Backend* backend();
// Called by the windows code for the frame limit and the picture store.
void note_repaint_request(HWND window);
void note_presented(const uint16_t* pixels);

}  // namespace zp
