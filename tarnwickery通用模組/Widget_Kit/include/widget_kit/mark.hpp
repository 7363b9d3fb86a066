#pragma once

namespace Widget_Kit {

// How a field or a box asks to be looked at: not at all, in the theme's warning colour
// (it went through but wants a look), or in its error colour (it cannot go as it is).
enum class Mark { none, warning, error };

}  // namespace Widget_Kit
