#include "recording/WidgetSnapshot.h"

#include <QBuffer>
#include <QImageWriter>

WidgetSnapshot::WidgetSnapshot(std::function<QWidget*()> target) : m_target(std::move(target)) {}

QImage WidgetSnapshot::CaptureImage(QWidget& widget) {
    const qreal ratio = widget.devicePixelRatioF();
    QImage image(widget.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(widget.palette().color(widget.backgroundRole()));
    widget.render(&image, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

EncodedFile WidgetSnapshot::EncodePng(const QImage& image) {
    EncodedFile file;
    QBuffer buffer(&file.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        file.error = QStringLiteral("кодирование PNG: ") + writer.errorString();
        file.bytes.clear();
    }
    return file;
}

FileEncoder WidgetSnapshot::Capture() {
    QWidget* widget = m_target ? m_target() : nullptr;
    if (!widget)
        return [] { return EncodedFile{{}, QStringLiteral("окно недоступно для снимка")}; };
    return [image = CaptureImage(*widget)] { return EncodePng(image); };
}
