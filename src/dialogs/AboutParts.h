#pragma once
// Pieces shared by the About and Credits dialogs: the crimson bands (the top one with the box's
// caption, the bottom one with its Close button), the links and the three product-site link rows.

#include <QLabel>
#include <QString>
#include <QWidget>

#include <functional>

class QDialog;
class QPushButton;

inline const QColor kBandColor(191, 10, 48);
inline const QColor kBandTextColor(249, 253, 255);
inline const QColor kTitleColor(0, 95, 140);
inline constexpr int kBandHeight = 25;

// A crimson band across a dialog, with an optional caption in near-white.
class CrimsonBand : public QWidget {
    Q_OBJECT
public:
    CrimsonBand(const QString &caption, QWidget *parent);
    QLabel *captionLabel() const { return caption_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *caption_ = nullptr;
};

// The top band of a box `width` wide, carrying the caption.
CrimsonBand *AddTopBand(QWidget *box, const QString &caption, int width);

// The bottom band of a box `width` x `height`, with its "Close" button btnClose at the right,
// which closes the box through reject().
QPushButton *AddCloseBand(QDialog *box, int width, int height);

// A link: blue, underlined, hand cursor; a left click runs its action.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString &text, std::function<void()> action, QWidget *parent);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::function<void()> action_;
};

// "Home page:" lblHomePage, "Support e-mail:" lblSupportMail, "Newsletter:" lblNewsletter, one
// row each from top, captions at captionX and links at linkX. Returns the y below the rows.
int AddProductLinkRows(QWidget *parent, int top, int captionX, int linkX, int rowHeight);
