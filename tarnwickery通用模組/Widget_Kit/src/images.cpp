#include <widget_kit/error.hpp>
#include <widget_kit/images.hpp>

#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>

namespace Widget_Kit {

QPixmap load_image(const std::string& path, QSize size) {
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull())
        throw Error("cannot read the picture " + path + ": " + reader.errorString().toStdString());
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap = QPixmap::fromImage(image.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void set_icon(QWidget* window, const std::string& path) {
    QImageReader probe(QString::fromStdString(path));
    if (!probe.canRead()) throw Error("cannot read the icon " + path + ": " + probe.errorString().toStdString());
    window->setWindowIcon(QIcon(QString::fromStdString(path)));
}

}  // namespace Widget_Kit
