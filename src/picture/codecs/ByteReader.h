#pragma once
// Bounds-checked reading of little- and big-endian fields from a byte buffer, for the small
// decoders that parse headers themselves. Reading past the end sets a flag and yields zeros.

#include <QByteArray>
#include <cstdint>
#include <cstring>

class ByteReader {
public:
    explicit ByteReader(const QByteArray &data, size_t pos = 0)
        : data_(reinterpret_cast<const uint8_t *>(data.constData())), size_(size_t(data.size())), pos_(pos) {}

    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Left() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool Overrun() const { return overrun_; }
    const uint8_t *Here() const { return data_ + (pos_ < size_ ? pos_ : size_); }

    void Seek(uint64_t pos) {
        if (pos > size_) {
            overrun_ = true;
            pos_ = size_;
        } else {
            pos_ = size_t(pos);
        }
    }
    void Skip(uint64_t n) { Seek(uint64_t(pos_) + n); }
    bool Has(uint64_t n) const { return n <= Left(); }

    uint8_t U8() { return uint8_t(Take(1)); }
    uint16_t Le16() { return uint16_t(Take(2)); }
    uint32_t Le32() { return uint32_t(Take(4)); }
    uint16_t Be16() { return uint16_t(TakeBe(2)); }
    uint32_t Be32() { return uint32_t(TakeBe(4)); }

private:
    uint64_t Take(int n) {
        if (!Has(uint64_t(n))) {
            overrun_ = true;
            pos_ = size_;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= uint64_t(data_[pos_ + size_t(i)]) << (8 * i);
        pos_ += size_t(n);
        return v;
    }
    uint64_t TakeBe(int n) {
        if (!Has(uint64_t(n))) {
            overrun_ = true;
            pos_ = size_;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | data_[pos_ + size_t(i)];
        pos_ += size_t(n);
        return v;
    }

    const uint8_t *data_;
    size_t size_;
    size_t pos_;
    bool overrun_ = false;
};
