#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <algorithm>

// The box around the pixels of `image` that differ from its background (the top left
// pixel); empty when every pixel is background.
inline QRect drawnExtent(const QImage &image)
{
    const QRgb background = image.pixel(0, 0) & 0xFFFFFF;
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}
