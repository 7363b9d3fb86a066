#pragma once

namespace Widget_Kit {

// The width of the primary screen in pixels. Throws Widget_Kit::Error when there is
// no screen.
int screen_width();

}  // namespace Widget_Kit
