#pragma once
// What a caller asks of a decode beyond the plain picture: the smallest size it will use (so a
// decoder that can make a reduced picture cheaply may deliver one) and the picture mirrored left
// to right. LoadPictureFile passes the request to decoders that honour it and mirrors itself for
// the others, so the caller always gets what it asked for.

#include <functional>

struct PictureSize {
    int Width = 0;
    int Height = 0;
};

struct DecodeRequest {
    // Given the full size the file declares, the smallest size the caller needs in each
    // direction. Empty (or 0 x 0): the full size. A decoder may deliver any size between this
    // and the full size; in a direction where the full size is smaller, only the full size.
    std::function<PictureSize(int fullWidth, int fullHeight)> MinimumSize;
    // Deliver the picture mirrored left to right.
    bool MirrorLeftRight = false;

    // The size the request allows at least for a picture of the full size w x h.
    PictureSize MinimumFor(int w, int h) const {
        if (!MinimumSize)
            return {w, h};
        const PictureSize m = MinimumSize(w, h);
        return {m.Width <= 0 || m.Width > w ? w : m.Width, m.Height <= 0 || m.Height > h ? h : m.Height};
    }
};
