#include "panel/qt/PanelIcons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace tlx {

namespace {

constexpr int kIconSize = 24;

const QColor kInk(40, 52, 84);
const QColor kAccent(226, 112, 24);
const QColor kPaper(250, 250, 246);

void Letter(QPainter& p, const QRectF& box, const QString& text, int pixelSize) {
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(pixelSize);
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, text);
}

void Draw(QPainter& p, PanelIcon icon) {
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(kInk, 1.6);
    p.setPen(pen);
    switch (icon) {
    case PanelIcon::Button: {
        QLinearGradient fill(0, 5, 0, 19);
        fill.setColorAt(0, kAccent.lighter(140));
        fill.setColorAt(1, kAccent);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(2.5, 6.5, 19, 11), 5, 5);
        p.setPen(kPaper);
        Letter(p, QRectF(2.5, 6.5, 19, 11), QStringLiteral("OK"), 8);
        break;
    }
    case PanelIcon::Heading:
        p.setPen(kAccent);
        Letter(p, QRectF(0, 1, 24, 16), QStringLiteral("Aa"), 14);
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(3, 19.5), QPointF(21, 19.5));
        break;
    case PanelIcon::Intro:
        p.setBrush(kInk);
        p.drawRect(QRectF(3.5, 4.5, 17, 15));
        p.setBrush(kPaper);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i) {
            p.drawRect(QRectF(5 + i * 4, 5.5, 2, 2));
            p.drawRect(QRectF(5 + i * 4, 16.5, 2, 2));
        }
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF({QPointF(10, 9), QPointF(15.5, 12), QPointF(10, 15)}));
        break;
    case PanelIcon::Shape: {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = (i % 2 == 0) ? 10.0 : 4.2;
            const double a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(12 + r * std::cos(a), 12.5 + r * std::sin(a));
        }
        p.setBrush(kAccent);
        p.drawPolygon(star);
        break;
    }
    case PanelIcon::Sound:
        p.setBrush(kInk);
        p.drawEllipse(QRectF(4, 15, 6, 5));
        p.drawEllipse(QRectF(13, 13, 6, 5));
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(9.5, 17), QPointF(9.5, 4.5));
        p.drawLine(QPointF(18.5, 15), QPointF(18.5, 2.5));
        p.drawLine(QPointF(9.5, 4.5), QPointF(18.5, 2.5));
        break;
    case PanelIcon::FromFile:
        p.setBrush(QColor(240, 200, 90));
        p.drawPolygon(QPolygonF({QPointF(2.5, 6.5), QPointF(9, 6.5), QPointF(11, 8.5),
                                 QPointF(21.5, 8.5), QPointF(21.5, 19.5), QPointF(2.5, 19.5)}));
        p.setPen(kAccent);
        Letter(p, QRectF(6, 9, 14, 10), QStringLiteral("f"), 11);
        break;
    case PanelIcon::Properties:
        p.setBrush(kPaper);
        p.drawRect(QRectF(3.5, 3.5, 17, 17));
        p.setPen(QPen(kInk, 1.4));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(6, 8 + i * 4.5), QPointF(11, 8 + i * 4.5));
            p.setBrush(kAccent);
            p.drawEllipse(QPointF(15.5, 8 + i * 4.5), 1.8, 1.8);
        }
        break;
    case PanelIcon::Colorise:
        p.setPen(Qt::NoPen);
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.setBrush(QColor(230, 60, 60, 220));
        p.drawEllipse(QPointF(12, 8.5), 6, 6);
        p.setBrush(QColor(60, 190, 80, 220));
        p.drawEllipse(QPointF(8.5, 14.5), 6, 6);
        p.setBrush(QColor(60, 110, 230, 220));
        p.drawEllipse(QPointF(15.5, 14.5), 6, 6);
        break;
    case PanelIcon::ScanFix:
        p.setBrush(kPaper);
        p.setPen(QPen(kInk, 2));
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        break;
    case PanelIcon::Detection:
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(2.5, 3.5, 19, 17), 3, 3);
        p.setPen(QPen(QColor(40, 150, 60), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawPolyline(QPolygonF({QPointF(6, 12), QPointF(10, 16), QPointF(18, 7)}));
        break;
    case PanelIcon::Help:
        p.setBrush(kInk);
        p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        p.setPen(kPaper);
        Letter(p, QRectF(2.5, 2.5, 19, 19), QStringLiteral("?"), 14);
        break;
    }
}

} // namespace

QIcon DrawPanelIcon(PanelIcon icon) {
    QIcon result;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(kIconSize * scale, kIconSize * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        Draw(painter, icon);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

QPixmap DrawTitleBar(int width, int height) {
    QPixmap pixmap(std::max(1, width), std::max(1, height));
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, height);
    fill.setColorAt(0, QColor(70, 86, 130));
    fill.setColorAt(1, QColor(34, 44, 72));
    p.fillRect(pixmap.rect(), fill);
    p.setPen(QColor(226, 112, 24));
    p.drawLine(0, height - 1, width, height - 1);
    return pixmap;
}

} // namespace tlx
