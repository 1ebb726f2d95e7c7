#pragma once
// The colour swatch of the options dialog: a 23 x 23 rounded square filled with a colour.
// Colours are the options' 0x00BBGGRR integers (red in the low byte).

#include <QColor>
#include <QWidget>

class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    int colorValue() const { return value_; }
    void setColorValue(int value);
    QColor color() const;

    static QColor ToQColor(int value);
    static int FromQColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int value_ = 0;
};
