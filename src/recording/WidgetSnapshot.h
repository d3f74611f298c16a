#pragma once

#include "recording/SnapshotSource.h"

#include <QImage>
#include <QWidget>

#include <functional>

// Snapshots of a window: the client area as it is displayed (every visible control), at its
// current pixel size, painted over the window's background colour. The picture is taken on the
// window's thread; its PNG encoding is left to the returned encoder, which owns a copy of it.
class WidgetSnapshot final : public SnapshotSource {
public:
    // The widget to capture is asked for at every snapshot, so it may appear later.
    explicit WidgetSnapshot(std::function<QWidget*()> target);

    FileEncoder Capture() override;

    static QImage CaptureImage(QWidget& widget);
    static EncodedFile EncodePng(const QImage& image);

private:
    std::function<QWidget*()> m_target;
};
