#include "dialogs/AboutParts.h"

#include "util/Links.h"
#include "util/ShellOps.h"

#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

CrimsonBand::CrimsonBand(const QString &caption, QWidget *parent) : QWidget(parent) {
    if (!caption.isEmpty()) {
        caption_ = new QLabel(caption, this);
        QFont f = font();
        f.setPixelSize(16);
        caption_->setFont(f);
        QPalette pal = caption_->palette();
        pal.setColor(QPalette::WindowText, kBandTextColor);
        caption_->setPalette(pal);
        caption_->adjustSize();
        caption_->move(8, 2);
    }
}

void CrimsonBand::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), kBandColor);
}

CrimsonBand *AddTopBand(QWidget *box, const QString &caption, int width) {
    auto *band = new CrimsonBand(caption, box);
    band->setGeometry(0, 0, width, kBandHeight);
    return band;
}

QPushButton *AddCloseBand(QDialog *box, int width, int height) {
    auto *band = new CrimsonBand(QString(), box);
    band->setGeometry(0, height - kBandHeight, width, kBandHeight);
    auto *close = new QPushButton(QStringLiteral("Close"), band);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setGeometry(width - 59 - 8, (kBandHeight - 22) / 2, 59, 22);
    QObject::connect(close, &QPushButton::clicked, box, &QDialog::reject);
    return close;
}

LinkLabel::LinkLabel(const QString &text, std::function<void()> action, QWidget *parent)
    : QLabel(text, parent), action_(std::move(action)) {
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
    setCursor(Qt::PointingHandCursor);
    adjustSize();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
        if (action_)
            action_();
    }
}

int AddProductLinkRows(QWidget *parent, int top, int captionX, int linkX, int rowHeight) {
    const QString home = ProductSiteLink(kPathHomePage);
    const QString mail = QString::fromLatin1(kSupportMailAddress);
    const QString newsletter = ProductSiteLink(kPathNewsletter);
    const struct { const char *caption; const char *name; QString text; std::function<void()> action; } rows[] = {
        {"Home page:", "lblHomePage", home, [home] { ShellOpen(home); }},
        {"Support e-mail:", "lblSupportMail", mail, [mail] { ComposeMail(mail, QString(), QString()); }},
        {"Newsletter:", "lblNewsletter", newsletter, [newsletter] { ShellOpen(newsletter); }},
    };
    int y = top;
    for (const auto &r : rows) {
        auto *caption = new QLabel(QString::fromLatin1(r.caption), parent);
        caption->adjustSize();
        caption->move(captionX, y);
        auto *link = new LinkLabel(r.text, r.action, parent);
        link->setObjectName(QLatin1String(r.name));
        link->move(linkX, y);
        y += rowHeight;
    }
    return y;
}
