#include "dialogs/ColorSwatch.h"

#include <QPainter>

ColorSwatch::ColorSwatch(QWidget *parent) : QWidget(parent) { setFixedSize(23, 23); }

void ColorSwatch::setColorValue(int value) {
    if (value == value_)
        return;
    value_ = value;
    update();
}

QColor ColorSwatch::color() const { return ToQColor(value_); }

QColor ColorSwatch::ToQColor(int value) {
    const uint32_t v = uint32_t(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int ColorSwatch::FromQColor(const QColor &color) {
    return int(uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16));
}

void ColorSwatch::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(color());
    p.drawRoundedRect(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0), 5, 5);
}
