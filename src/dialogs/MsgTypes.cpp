#include "dialogs/MsgTypes.h"

#include <QApplication>
#include <QStyle>

QIcon MsgIconImage(MsgIcon icon) {
    QStyle *style = QApplication::style();
    switch (icon) {
    case miWarning: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case miError: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case miInformation: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case miQuestion: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case miApplication: break;
    }
    const QIcon own = QApplication::windowIcon();
    return own.isNull() ? style->standardIcon(QStyle::SP_DesktopIcon) : own;
}

QFont DialogFont() {
    QFont f = QApplication::font();
    f.setFamily(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}
