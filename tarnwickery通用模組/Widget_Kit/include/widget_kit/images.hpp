#pragma once

#include <QPixmap>
#include <QWidget>

#include <string>

namespace Widget_Kit {

// The picture in `path` (UTF-8), scaled smoothly to `size` for the screen's pixel
// density. Throws Widget_Kit::Error naming the file when it cannot be read.
QPixmap load_image(const std::string& path, QSize size);

// Makes the .ico or picture file `path` the icon of `window`. Throws
// Widget_Kit::Error naming the file when it cannot be read.
void set_icon(QWidget* window, const std::string& path);

}  // namespace Widget_Kit
