#include "picture/Bitmap32.h"

#include "picture/Resample.h"
#include "platform/Errors.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <exception>

PixelRect IntersectRects(const PixelRect &a, const PixelRect &b) {
    PixelRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        return {};
    return r;
}

int TBitmapFont::PixelHeight() const { return int(std::lround(Size * 96.0 / 72.0)); }

void TBitmap32::SetSize(int width, int height) { Resize(width, height, true); }

void TBitmap32::SetSizeForOverwrite(int width, int height) { Resize(width, height, false); }

void TBitmap32::Resize(int width, int height, bool clear) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0)
        width_ = height_ = 0;
    try {
        const size_t n = size_t(width_) * size_t(height_);
        if (clear) {
            bits_.assign(n, 0);
        } else {
            if (n > bits_.capacity()) {
                // A larger block: let the old one go first, and copy none of its pixels.
                bits_.clear();
                bits_.shrink_to_fit();
            }
            bits_.resize(n);
        }
    } catch (const std::exception &) { // bad_alloc, or length_error past the vector's limit
        width_ = height_ = 0;
        bits_.clear();
        bits_.shrink_to_fit();
        throw OrvantaError(QStringLiteral("Out of memory"));
    }
}

void TBitmap32::Clear(TColor32 c) { std::fill(bits_.begin(), bits_.end(), c); }

void TBitmap32::SetAlpha(uint8_t a) {
    const TColor32 mask = TColor32(a) << 24;
    for (TColor32 &p : bits_)
        p = (p & 0x00FFFFFFu) | mask;
}

void TBitmap32::FillRect(const PixelRect &r, TColor32 c) {
    const PixelRect clip = IntersectRects(r, BoundsRect());
    for (int y = clip.Top; y < clip.Bottom; ++y)
        std::fill(ScanLine(y) + clip.Left, ScanLine(y) + clip.Right, c);
}

namespace {

// Windows system fonts have no Linux files of that name; fontconfig's sans-serif stands in.
QString FontFamilyFor(const QString &name) {
    static const char *const kSystemNames[] = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2",
                                               "Microsoft Sans Serif", "System", "Tahoma"};
    if (name.isEmpty())
        return QStringLiteral("sans-serif");
    for (const char *n : kSystemNames)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return QStringLiteral("sans-serif");
    return name;
}

} // namespace

void TBitmap32::DrawTextInRect(const PixelRect &r, const QString &text) {
    const PixelRect clip = IntersectRects(r, BoundsRect());
    if (clip.IsEmpty() || text.isEmpty())
        return;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw OrvantaError(QStringLiteral("Text cannot be drawn without a running application"));

    // The image shares the pixels: Format_ARGB32 is 0xAARRGGBB per pixel, exactly our layout.
    QImage image(reinterpret_cast<uchar *>(bits_.data()), width_, height_,
                 qsizetype(width_) * 4, QImage::Format_ARGB32);
    QFont font(FontFamilyFor(Font.Name));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, Font.PixelHeight()));
    font.setBold(Font.Style & fsBold);
    font.setItalic(Font.Style & fsItalic);
    font.setUnderline(Font.Style & fsUnderline);
    font.setStrikeOut(Font.Style & fsStrikeOut);

    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QPainter painter(&image);
    painter.setClipRect(QRect(clip.Left, clip.Top, int(clip.Width()), int(clip.Height())));
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(Font.Color));
    const QRect box(r.Left, r.Top, int(std::min<int64_t>(r.Width(), INT32_MAX)),
                    int(std::min<int64_t>(r.Height(), INT32_MAX)));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines);
    painter.end();
}

void TBitmap32::MirrorLeftRight() {
    for (int y = 0; y < height_; ++y)
        std::reverse(ScanLine(y), ScanLine(y) + width_);
}

void TBitmap32::DrawStretched(TBitmap32 &dst, const PixelRect &dstRect) const {
    if (Empty())
        return;
    StretchTransfer(dst, dstRect, dst.BoundsRect(), *this, BoundsRect(), StretchFilter, dmOpaque);
}
