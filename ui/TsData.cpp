// The resources module: every picture is drawn here with QPainter, so the tool carries no image
// files, and the looks are a handful of palettes and style sheets applied by name.
#include "TsData.h"

#include <QAbstractItemView>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <QtMath>

TsData* sData = nullptr;

namespace {

constexpr int kMainImagesCount = 104;
constexpr int kImages24x24Count = 39;
constexpr int kKeyBoardBlueCount = 118;

// The suite's house colours.
const QColor kHouseBlue(58, 94, 164);
const QColor kDeepBlue(0, 64, 128);
const QColor kPaleBlue(165, 185, 218);

QPixmap blank(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// A pixmap painted through `draw` on a transparent, antialiased canvas.
template <typename Draw> QPixmap paint(int size, Draw draw) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, static_cast<qreal>(size));
    return pm;
}

void ball(QPainter& p, const QRectF& r, const QColor& colour) {
    QRadialGradient g(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() * 0.75);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour);
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(g);
    p.drawEllipse(r);
}

void glyphText(QPainter& p, const QRectF& r, const QString& text, const QColor& colour,
               qreal pixelSize) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

// --- MainImages (16 x 16) ---

QPixmap infoIcon() {
    return paint(16, [](QPainter& p, qreal s) {
        ball(p, QRectF(0.5, 0.5, s - 1, s - 1), QColor(36, 104, 204));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6.8, 3.0, 2.4, 2.4));
        p.drawRoundedRect(QRectF(6.9, 6.5, 2.2, 6.5), 0.8, 0.8);
    });
}

QPixmap msgIcon() {
    return paint(16, [](QPainter& p, qreal s) {
        ball(p, QRectF(0.5, 0.5, s - 1, s - 1), QColor(40, 150, 60));
        QPainterPath tick;
        tick.moveTo(4.0, 8.3);
        tick.lineTo(6.8, 11.0);
        tick.lineTo(12.0, 5.2);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    });
}

QPixmap unknownIcon() {
    return paint(16, [](QPainter& p, qreal s) {
        ball(p, QRectF(0.5, 0.5, s - 1, s - 1), QColor(112, 128, 150));
        glyphText(p, QRectF(0, 0, s, s), QStringLiteral("?"), Qt::white, 11);
    });
}

QPixmap warnIcon() {
    return paint(16, [](QPainter& p, qreal) {
        QPainterPath tri;
        tri.moveTo(8, 1);
        tri.lineTo(15.2, 14.5);
        tri.lineTo(0.8, 14.5);
        tri.closeSubpath();
        QLinearGradient g(0, 1, 0, 15);
        g.setColorAt(0, QColor(255, 226, 90));
        g.setColorAt(1, QColor(236, 170, 0));
        p.setPen(QPen(QColor(160, 110, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(g);
        p.drawPath(tri);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(7.0, 5.0, 2.0, 5.5), 0.8, 0.8);
        p.drawEllipse(QRectF(7.0, 11.3, 2.0, 2.0));
    });
}

QPixmap errorIcon() {
    return paint(16, [](QPainter& p, qreal s) {
        ball(p, QRectF(0.5, 0.5, s - 1, s - 1), QColor(200, 24, 24));
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.0, 5.0), QPointF(11.0, 11.0));
        p.drawLine(QPointF(11.0, 5.0), QPointF(5.0, 11.0));
    });
}

void checkBox(QPainter& p, const QRectF& r, bool ticked) {
    p.setPen(QPen(kHouseBlue, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    if (!ticked)
        return;
    QPainterPath tick;
    tick.moveTo(r.left() + 1.5, r.center().y());
    tick.lineTo(r.left() + r.width() * 0.42, r.bottom() - 1.5);
    tick.lineTo(r.right() - 1.0, r.top() + 1.0);
    p.setPen(QPen(QColor(20, 140, 40), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

// Two rows of boxes beside list lines: all ticked, or all cleared.
QPixmap listIcon(bool ticked) {
    return paint(16, [ticked](QPainter& p, qreal) {
        for (int row = 0; row < 2; ++row) {
            const qreal y = 1.5 + row * 7.5;
            checkBox(p, QRectF(1.5, y, 5.5, 5.5), ticked);
            p.setPen(QPen(ticked ? kDeepBlue : QColor(150, 150, 150), 1.4));
            p.drawLine(QPointF(9.0, y + 2.8), QPointF(15.0, y + 2.8));
        }
    });
}

// A quiet stand-in for the pictures no part of the tool asks for.
QPixmap placeholder(int size, int index, bool key) {
    return paint(size, [index, key](QPainter& p, qreal s) {
        const QColor base =
            key ? QColor(70, 110, 190) : QColor::fromHsv((index * 47) % 360, 60, 215);
        const QRectF r(1.5, 1.5, s - 3, s - 3);
        p.setPen(QPen(base.darker(130), 1));
        p.setBrush(key ? base : base.lighter(115));
        p.drawRoundedRect(r, s / 6, s / 6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(r.center(), s / 10, s / 10);
    });
}

// --- KeyBoardBlue (16 x 16): white glyphs on a blue key cap ---

void keyCap(QPainter& p, qreal s) {
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(110, 150, 225));
    g.setColorAt(1, QColor(40, 80, 160));
    p.setPen(QPen(QColor(25, 55, 120), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), 3, 3);
}

QPixmap deleteKey() {
    return paint(16, [](QPainter& p, qreal s) {
        keyCap(p, s);
        p.setPen(QPen(QColor(255, 120, 120), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    });
}

QPixmap refreshKey() {
    return paint(16, [](QPainter& p, qreal s) {
        keyCap(p, s);
        const QRectF r(3.5, 3.5, 9, 9);
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(r, 60 * 16, 270 * 16);
        // The arrow head at the open end of the circle.
        QPainterPath head;
        head.moveTo(9.2, 2.2);
        head.lineTo(12.8, 4.4);
        head.lineTo(9.4, 6.6);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(head);
    });
}

// --- Images24x24 (32 x 32) ---

QPixmap optionsPicture() {
    return paint(32, [](QPainter& p, qreal s) {
        const QPointF c(s / 2, s / 2);
        QPainterPath gear;
        gear.addEllipse(c, 10.5, 10.5);
        for (int i = 0; i < 8; ++i) {
            QPainterPath tooth;
            tooth.addRoundedRect(QRectF(-2.8, -14.5, 5.6, 7), 1, 1);
            QTransform t;
            t.translate(c.x(), c.y());
            t.rotate(i * 45.0);
            gear = gear.united(t.map(tooth));
        }
        QPainterPath hole;
        hole.addEllipse(c, 4.5, 4.5);
        gear = gear.subtracted(hole);
        QLinearGradient g(0, 2, 0, 30);
        g.setColorAt(0, QColor(250, 252, 255));
        g.setColorAt(1, QColor(180, 196, 220));
        p.setPen(QPen(QColor(30, 50, 90), 1.2));
        p.setBrush(g);
        p.drawPath(gear);
    });
}

QPixmap functionsPicture() {
    return paint(32, [](QPainter& p, qreal) {
        QPainterPath bolt;
        bolt.moveTo(18, 2);
        bolt.lineTo(7, 18);
        bolt.lineTo(15, 18);
        bolt.lineTo(12, 30);
        bolt.lineTo(25, 12);
        bolt.lineTo(17, 12);
        bolt.closeSubpath();
        QLinearGradient g(0, 2, 0, 30);
        g.setColorAt(0, QColor(255, 236, 120));
        g.setColorAt(1, QColor(245, 160, 0));
        p.setPen(QPen(QColor(120, 70, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(g);
        p.drawPath(bolt);
    });
}

// A parcel with a zip running down it: the program packed into an archive.
QPixmap createZipPicture() {
    return paint(32, [](QPainter& p, qreal) {
        const QRectF box(4, 6, 24, 22);
        QLinearGradient g(0, 6, 0, 28);
        g.setColorAt(0, QColor(244, 214, 150));
        g.setColorAt(1, QColor(205, 160, 85));
        p.setPen(QPen(QColor(120, 80, 20), 1.2));
        p.setBrush(g);
        p.drawRoundedRect(box, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 70, 80));
        for (int i = 0; i < 5; ++i) {
            p.drawRect(QRectF(13.5, 7.5 + i * 3.6, 2.5, 1.6));
            p.drawRect(QRectF(16.0, 9.3 + i * 3.6, 2.5, 1.6));
        }
        p.setBrush(kHouseBlue);
        p.drawRoundedRect(QRectF(13.0, 25.0, 6.0, 3.5), 1, 1);
    });
}

QPixmap closePicture() {
    return paint(32, [](QPainter& p, qreal s) {
        ball(p, QRectF(3, 3, s - 6, s - 6), QColor(196, 36, 36));
        p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    });
}

void cloud(QPainter& p) {
    QPainterPath c;
    c.addEllipse(QRectF(3, 11, 12, 12));
    c.addEllipse(QRectF(9, 5, 15, 15));
    c.addEllipse(QRectF(18, 10, 11, 11));
    c.addRoundedRect(QRectF(6, 15, 20, 9), 4, 4);
    c = c.simplified();
    QLinearGradient g(0, 5, 0, 24);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(170, 200, 240));
    p.setPen(QPen(kHouseBlue, 1.2));
    p.setBrush(g);
    p.drawPath(c);
}

void arrow(QPainter& p, qreal x, qreal top, qreal bottom, bool up, const QColor& colour) {
    QPainterPath a;
    if (up) {
        a.moveTo(x, top);
        a.lineTo(x + 6, top + 6);
        a.lineTo(x + 2.5, top + 6);
        a.lineTo(x + 2.5, bottom);
        a.lineTo(x - 2.5, bottom);
        a.lineTo(x - 2.5, top + 6);
        a.lineTo(x - 6, top + 6);
    } else {
        a.moveTo(x, bottom);
        a.lineTo(x + 6, bottom - 6);
        a.lineTo(x + 2.5, bottom - 6);
        a.lineTo(x + 2.5, top);
        a.lineTo(x - 2.5, top);
        a.lineTo(x - 2.5, bottom - 6);
        a.lineTo(x - 6, bottom - 6);
    }
    a.closeSubpath();
    p.setPen(QPen(colour.darker(150), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(a);
}

QPixmap uploadPicture() {
    return paint(32, [](QPainter& p, qreal) {
        cloud(p);
        arrow(p, 16, 12, 30, true, QColor(40, 150, 60));
    });
}

QPixmap downloadPicture() {
    return paint(32, [](QPainter& p, qreal) {
        // A tray with an arrow coming down into it.
        p.setPen(QPen(kHouseBlue, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath tray;
        tray.moveTo(4, 19);
        tray.lineTo(4, 28);
        tray.lineTo(28, 28);
        tray.lineTo(28, 19);
        p.drawPath(tray);
        arrow(p, 16, 2, 24, false, QColor(36, 104, 204));
    });
}

} // namespace

TsData::TsData(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("sData"));

    MainImages.reserve(kMainImagesCount);
    for (int i = 0; i < kMainImagesCount; ++i) {
        switch (i) {
        case kMainInfo:
            MainImages.append(infoIcon());
            break;
        case kMainMsg:
            MainImages.append(msgIcon());
            break;
        case kMainUnknown:
            MainImages.append(unknownIcon());
            break;
        case kMainWarn:
            MainImages.append(warnIcon());
            break;
        case kMainError:
            MainImages.append(errorIcon());
            break;
        case kMainSelectAll:
            MainImages.append(listIcon(true));
            break;
        case kMainDeselectAll:
            MainImages.append(listIcon(false));
            break;
        default:
            MainImages.append(placeholder(16, i, false));
            break;
        }
    }

    Images24x24.reserve(kImages24x24Count);
    for (int i = 0; i < kImages24x24Count; ++i) {
        switch (i) {
        case kPictureOptions:
            Images24x24.append(optionsPicture());
            break;
        case kPictureFunctions:
            Images24x24.append(functionsPicture());
            break;
        case kPictureCreateZip:
            Images24x24.append(createZipPicture());
            break;
        case kPictureClose:
            Images24x24.append(closePicture());
            break;
        case kPictureUpload:
            Images24x24.append(uploadPicture());
            break;
        case kPictureDownload:
            Images24x24.append(downloadPicture());
            break;
        default:
            Images24x24.append(placeholder(32, i, false));
            break;
        }
    }

    KeyBoardBlue.reserve(kKeyBoardBlueCount);
    for (int i = 0; i < kKeyBoardBlueCount; ++i) {
        switch (i) {
        case kKeyDelete:
            KeyBoardBlue.append(deleteKey());
            break;
        case kKeyRefresh:
            KeyBoardBlue.append(refreshKey());
            break;
        default:
            KeyBoardBlue.append(placeholder(16, i, true));
            break;
        }
    }
}

TsData::~TsData() {
    if (sData == this)
        sData = nullptr;
}

void TsData::ApplyLook(QWidget* widget, const QString& stylerName) const {
    if (!widget)
        return;

    if (stylerName == QLatin1String("pnlStylerPopUp")) {
        // The title band: a soft white-to-blue fall with a darker rule along its foot. The
        // object-bounding gradient stretches over the band whatever its width.
        QLinearGradient g(0, 0, 0, 1);
        g.setCoordinateMode(QGradient::ObjectMode);
        g.setColorAt(0.0, QColor(255, 255, 255));
        g.setColorAt(0.55, QColor(226, 235, 248));
        g.setColorAt(0.97, QColor(188, 207, 235));
        g.setColorAt(1.0, kHouseBlue);
        QPalette pal = widget->palette();
        pal.setBrush(QPalette::Window, QBrush(g));
        widget->setPalette(pal);
        widget->setAutoFillBackground(true);
        return;
    }

    if (stylerName == QLatin1String("PanelStylerWhite")) {
        QPalette pal = widget->palette();
        pal.setColor(QPalette::Window, Qt::white);
        widget->setPalette(pal);
        widget->setAutoFillBackground(true);
        return;
    }

    if (stylerName == QLatin1String("PageStylerWhite")) {
        // White pages; tabs in the house blue with the chosen tab standing out in white.
        auto* tabs = qobject_cast<QTabWidget*>(widget);
        QTabBar* bar = tabs ? tabs->tabBar() : qobject_cast<QTabBar*>(widget);
        if (bar) {
            bar->setStyleSheet(QStringLiteral(
                "QTabBar::tab {"
                "  color: #1E3C72; padding: 0px 12px; margin-right: 1px;"
                "  border: 1px solid #8DA6CE; border-bottom: none;"
                "  border-top-left-radius: 3px; border-top-right-radius: 3px;"
                "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                "              stop:0 #FFFFFF, stop:1 #DCE6F4); }"
                "QTabBar::tab:selected { color: #000000; background: #FFFFFF;"
                "  border-color: #3A5EA4; }"
                "QTabBar::tab:hover:!selected { background: qlineargradient(x1:0, y1:0,"
                "  x2:0, y2:1, stop:0 #FFFDF0, stop:1 #FFE8A6); }"));
        }
        if (tabs) {
            QPalette pal = tabs->palette();
            pal.setColor(QPalette::Window, Qt::white);
            tabs->setPalette(pal);
        }
        return;
    }

    if (stylerName == QLatin1String("StatusBarWhite")) {
        // The bar paints itself from these roles: Window behind the panels, Base for the
        // lighter panels, AlternateBase for the darker one, Mid for the panel rules.
        QPalette pal = widget->palette();
        pal.setColor(QPalette::Window, QColor(234, 240, 249));
        pal.setColor(QPalette::Base, QColor(255, 255, 255));
        pal.setColor(QPalette::AlternateBase, QColor(201, 216, 238));
        pal.setColor(QPalette::Mid, QColor(141, 166, 206));
        pal.setColor(QPalette::WindowText, Qt::black);
        pal.setColor(QPalette::Highlight, kHouseBlue);
        widget->setPalette(pal);
        QFont f = widget->font();
        f.setPointSize(8);
        f.setBold(true);
        widget->setFont(f);
        return;
    }

    if (stylerName == QLatin1String("MenuStylerBlue")) {
        widget->setStyleSheet(QStringLiteral(
            "QMenu { background: #FFFFFF; border: 1px solid #3A5EA4; padding: 2px; }"
            "QMenu::item { color: #000000; padding: 4px 24px 4px 30px;"
            "  border: 1px solid transparent; }"
            "QMenu::item:selected { background: #C8D9F3; border-color: #3A5EA4; }"
            "QMenu::item:disabled { color: #8A8A8A; }"
            "QMenu::icon { padding-left: 6px; }"
            "QMenu::separator { height: 1px; background: #A5B9DA; margin: 3px 4px 3px 28px; }"));
        return;
    }

    if (stylerName == QLatin1String("cxGridStyler")) {
        QPalette pal = widget->palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::AlternateBase, QColor(241, 245, 251));
        pal.setColor(QPalette::Highlight, kHouseBlue);
        pal.setColor(QPalette::HighlightedText, Qt::white);
        widget->setPalette(pal);
        if (auto* view = qobject_cast<QAbstractItemView*>(widget))
            view->setAlternatingRowColors(true);
        widget->setStyleSheet(QStringLiteral(
            "QHeaderView::section { color: #1E3C72; font-weight: bold; padding: 2px 4px;"
            "  border: none; border-right: 1px solid #A5B9DA;"
            "  border-bottom: 1px solid #A5B9DA;"
            "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
            "              stop:0 #F6F9FD, stop:1 #D9E4F4); }"
            "QTableView { gridline-color: #D5DFEE; }"));
        return;
    }
    // An unknown look leaves the control as it is.
}
