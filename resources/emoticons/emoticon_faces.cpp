#include "emoticon_faces.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace quillo::emoticons {

const std::array<Emoticon, 23> kEmoticons = {{
    {":)", "ref1.png"},   {":(", "ref2.png"},   {":P", "ref3.gif"},        {":D", "ref4.png"},
    {":O", "ref5.png"},   {";)", "ref6.png"},   {"8)", "ref7.png"},        {"B)", "ref8.png"},
    {":3", "ref9.png"},   {">:(", "ref10.png"}, {":/", "ref11.png"},       {":'(", "ref12.png"},
    {"3:)", "ref13.png"}, {":-*", "ref14.gif"}, {"O:)", "ref15.png"},      {"^_^", "ref16.png"},
    {"-_-", "ref17.png"}, {"O.o", "ref18.png"}, {">:O", "ref19.png"},      {"<3", "ref20.gif"},
    {":v", "ref21.png"},  {":|]", "ref22.png"}, {":wombat:", "ref23.png"},
}};

namespace {

// Every picture is drawn on a 100 by 100 canvas and scaled to its size.
constexpr qreal kCanvas = 100;
constexpr qreal kLine = 7;

const QColor kInk(0x3A, 0x2A, 0x00);
const QColor kOutline(0x8A, 0x5A, 0x00);
const QColor kYellow(0xFF, 0xD2, 0x3F);
const QColor kAngry(0xFF, 0x8A, 0x3D);
const QColor kDevil(0xE8, 0x46, 0x3B);
const QColor kRed(0xD8, 0x1E, 0x3C);
const QColor kTongue(0xFF, 0x5A, 0x7A);
const QColor kTear(0x3D, 0xA5, 0xFF);
const QColor kButtonFace(0xF0, 0xF0, 0xF0);

enum class Eyes { Dots, Wink, Happy, Flat, Odd, Glasses, Shades };
enum class Mouth { Smile, Frown, Tongue, Grin, Open, Flat, Slant, Cat, Kiss, None };

class Canvas {
public:
    explicit Canvas(QImage& image)
        : painter_(&image) {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.scale(image.width() / kCanvas, image.height() / kCanvas);
    }

    QPainter& painter() { return painter_; }

    void stroke(const QColor& colour, qreal width = kLine) {
        painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter_.setBrush(Qt::NoBrush);
    }

    void fill(const QColor& colour, const QColor& edge = Qt::transparent) {
        painter_.setPen(edge == Qt::transparent ? QPen(Qt::NoPen) : QPen(edge, kLine * 0.7));
        painter_.setBrush(colour);
    }

    void face(const QColor& colour, QPointF centre = {50, 50}, qreal radius = 45) {
        fill(colour, kOutline);
        painter_.drawEllipse(centre, radius, radius);
    }

    void eyes(Eyes kind, qreal y = 38) {
        switch (kind) {
        case Eyes::Dots:
            fill(kInk);
            painter_.drawEllipse(QPointF(35, y), 6, 9);
            painter_.drawEllipse(QPointF(65, y), 6, 9);
            break;
        case Eyes::Wink:
            fill(kInk);
            painter_.drawEllipse(QPointF(35, y), 6, 9);
            stroke(kInk);
            painter_.drawArc(QRectF(56, y - 6, 18, 14), 0, 180 * 16);
            break;
        case Eyes::Happy:
            stroke(kInk);
            painter_.drawPolyline(QPolygonF({{26, y + 6}, {35, y - 6}, {44, y + 6}}));
            painter_.drawPolyline(QPolygonF({{56, y + 6}, {65, y - 6}, {74, y + 6}}));
            break;
        case Eyes::Flat:
            stroke(kInk);
            painter_.drawLine(QPointF(25, y), QPointF(44, y));
            painter_.drawLine(QPointF(56, y), QPointF(75, y));
            break;
        case Eyes::Odd:
            fill(Qt::white, kInk);
            painter_.drawEllipse(QPointF(34, y), 14, 14);
            fill(kInk);
            painter_.drawEllipse(QPointF(36, y + 2), 5, 5);
            painter_.drawEllipse(QPointF(67, y + 2), 5, 6);
            break;
        case Eyes::Glasses:
            stroke(kInk, kLine * 0.8);
            painter_.drawEllipse(QPointF(33, y), 13, 13);
            painter_.drawEllipse(QPointF(67, y), 13, 13);
            painter_.drawLine(QPointF(46, y), QPointF(54, y));
            fill(kInk);
            painter_.drawEllipse(QPointF(33, y), 4, 5);
            painter_.drawEllipse(QPointF(67, y), 4, 5);
            break;
        case Eyes::Shades: {
            fill(Qt::black);
            QPainterPath lenses;
            lenses.addRoundedRect(QRectF(16, y - 10, 30, 20), 7, 7);
            lenses.addRoundedRect(QRectF(54, y - 10, 30, 20), 7, 7);
            painter_.drawPath(lenses);
            stroke(Qt::black, kLine * 0.8);
            painter_.drawLine(QPointF(44, y - 5), QPointF(56, y - 5));
            break;
        }
        }
    }

    // Eyebrows slanting down towards the nose.
    void brows() {
        stroke(kInk);
        painter_.drawLine(QPointF(22, 20), QPointF(44, 29));
        painter_.drawLine(QPointF(78, 20), QPointF(56, 29));
    }

    void mouth(Mouth kind, qreal y = 62) {
        switch (kind) {
        case Mouth::Smile:
            stroke(kInk);
            painter_.drawArc(QRectF(27, y - 30, 46, 46), -25 * 16, -130 * 16);
            break;
        case Mouth::Frown:
            stroke(kInk);
            painter_.drawArc(QRectF(30, y + 4, 40, 30), 25 * 16, 130 * 16);
            break;
        case Mouth::Tongue:
            fill(kTongue, kInk);
            painter_.drawChord(QRectF(42, y - 2, 20, 24), 0, -180 * 16);
            stroke(kInk);
            painter_.drawLine(QPointF(30, y + 10), QPointF(70, y + 10));
            break;
        case Mouth::Grin:
            fill(QColor(0x7A, 0x1F, 0x1F), kInk);
            painter_.drawChord(QRectF(24, y - 20, 52, 50), 0, -180 * 16);
            break;
        case Mouth::Open:
            fill(QColor(0x7A, 0x1F, 0x1F), kInk);
            painter_.drawEllipse(QPointF(50, y + 10), 9, 12);
            break;
        case Mouth::Flat:
            stroke(kInk);
            painter_.drawLine(QPointF(36, y + 10), QPointF(64, y + 10));
            break;
        case Mouth::Slant:
            stroke(kInk);
            painter_.drawLine(QPointF(32, y + 14), QPointF(68, y + 4));
            break;
        case Mouth::Cat:
            stroke(kInk);
            painter_.drawArc(QRectF(36, y, 14, 14), 180 * 16, 180 * 16);
            painter_.drawArc(QRectF(50, y, 14, 14), 180 * 16, 180 * 16);
            break;
        case Mouth::Kiss:
            fill(kRed);
            painter_.drawEllipse(QPointF(50, y + 4), 10, 6);
            painter_.drawEllipse(QPointF(50, y + 14), 10, 6);
            break;
        case Mouth::None:
            break;
        }
    }

private:
    QPainter painter_;
};

void Heart(QPainter& painter) {
    QPainterPath heart;
    heart.moveTo(50, 92);
    heart.cubicTo(22, 72, 2, 50, 8, 30);
    heart.cubicTo(14, 8, 42, 6, 50, 28);
    heart.cubicTo(58, 6, 86, 8, 92, 30);
    heart.cubicTo(98, 50, 78, 72, 50, 92);
    painter.setPen(QPen(QColor(0x8C, 0x0F, 0x25), kLine * 0.7));
    painter.setBrush(kRed);
    painter.drawPath(heart);
}

void Pacman(Canvas& canvas) {
    canvas.fill(kYellow, kOutline);
    canvas.painter().drawPie(QRectF(5, 5, 90, 90), 35 * 16, 290 * 16);
    canvas.fill(kInk);
    canvas.painter().drawEllipse(QPointF(50, 27), 6, 7);
}

void Robot(Canvas& canvas) {
    QPainter& painter = canvas.painter();
    canvas.stroke(QColor(0x4A, 0x55, 0x60));
    painter.drawLine(QPointF(50, 16), QPointF(50, 6));
    canvas.fill(kDevil);
    painter.drawEllipse(QPointF(50, 6), 5, 5);
    canvas.fill(QColor(0xB8, 0xC4, 0xCC), QColor(0x4A, 0x55, 0x60));
    painter.drawRoundedRect(QRectF(10, 16, 80, 78), 12, 12);
    canvas.fill(QColor(0x20, 0x90, 0xE0));
    painter.drawRect(QRectF(26, 34, 14, 14));
    painter.drawRect(QRectF(60, 34, 14, 14));
    canvas.fill(Qt::white, QColor(0x4A, 0x55, 0x60));
    painter.drawRect(QRectF(28, 62, 44, 16));
    canvas.stroke(QColor(0x4A, 0x55, 0x60), kLine * 0.5);
    for (qreal x : {39.0, 50.0, 61.0})
        painter.drawLine(QPointF(x, 62), QPointF(x, 78));
}

void Wombat(Canvas& canvas) {
    QPainter& painter = canvas.painter();
    const QColor fur(0x9C, 0x6B, 0x43);
    const QColor dark(0x5A, 0x3A, 0x22);
    canvas.fill(fur, dark);
    painter.drawEllipse(QPointF(20, 22), 13, 13);
    painter.drawEllipse(QPointF(80, 22), 13, 13);
    canvas.face(fur, {50, 54}, 42);
    canvas.fill(QColor(0xC9, 0x9A, 0x6E));
    painter.drawEllipse(QPointF(50, 68), 24, 18);
    canvas.fill(QColor(0x3B, 0x25, 0x16));
    painter.drawEllipse(QPointF(50, 62), 14, 10);
    painter.drawEllipse(QPointF(33, 42), 5, 5);
    painter.drawEllipse(QPointF(67, 42), 5, 5);
}

} // namespace

QImage DrawEmoticon(int index) {
    QImage image(kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    Canvas canvas(image);
    QPainter& painter = canvas.painter();

    switch (index + 1) {
    case 1: // :)
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Smile);
        break;
    case 2: // :(
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Frown);
        break;
    case 3: // :P
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Tongue);
        break;
    case 4: // :D
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots, 34);
        canvas.mouth(Mouth::Grin);
        break;
    case 5: // :O
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Open);
        break;
    case 6: // ;)
        canvas.face(kYellow);
        canvas.eyes(Eyes::Wink);
        canvas.mouth(Mouth::Smile);
        break;
    case 7: // 8)
        canvas.face(kYellow);
        canvas.eyes(Eyes::Glasses);
        canvas.mouth(Mouth::Smile, 66);
        break;
    case 8: // B)
        canvas.face(kYellow);
        canvas.eyes(Eyes::Shades);
        canvas.mouth(Mouth::Smile, 66);
        break;
    case 9: // :3
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Cat);
        break;
    case 10: // >:(
        canvas.face(kAngry);
        canvas.brows();
        canvas.eyes(Eyes::Dots, 42);
        canvas.mouth(Mouth::Frown);
        break;
    case 11: // :/
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Slant);
        break;
    case 12: // :'(
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Frown);
        canvas.fill(kTear);
        painter.drawEllipse(QPointF(27, 56), 5, 9);
        break;
    case 13: // 3:)
        canvas.fill(kDevil, QColor(0x7A, 0x10, 0x10));
        painter.drawPolygon(QPolygonF({{14, 34}, {8, 2}, {38, 14}}));
        painter.drawPolygon(QPolygonF({{86, 34}, {92, 2}, {62, 14}}));
        canvas.face(kDevil, {50, 54}, 42);
        canvas.brows();
        canvas.eyes(Eyes::Dots, 44);
        canvas.mouth(Mouth::Smile, 66);
        break;
    case 14: // :-*
        canvas.face(kYellow);
        canvas.eyes(Eyes::Dots);
        canvas.mouth(Mouth::Kiss);
        break;
    case 15: // O:)
        canvas.face(kYellow, {50, 56}, 40);
        canvas.stroke(QColor(0xE0, 0xB0, 0x00), kLine);
        painter.drawEllipse(QPointF(50, 10), 28, 7);
        canvas.eyes(Eyes::Dots, 46);
        canvas.mouth(Mouth::Smile, 68);
        break;
    case 16: // ^_^
        canvas.face(kYellow);
        canvas.eyes(Eyes::Happy);
        canvas.mouth(Mouth::Smile);
        break;
    case 17: // -_-
        canvas.face(kYellow);
        canvas.eyes(Eyes::Flat, 40);
        canvas.mouth(Mouth::Flat);
        break;
    case 18: // O.o
        canvas.face(kYellow);
        canvas.eyes(Eyes::Odd);
        canvas.mouth(Mouth::Slant, 64);
        break;
    case 19: // >:O
        canvas.face(kAngry);
        canvas.brows();
        canvas.eyes(Eyes::Dots, 42);
        canvas.mouth(Mouth::Open, 64);
        break;
    case 20: // <3
        Heart(painter);
        break;
    case 21: // :v
        Pacman(canvas);
        break;
    case 22: // :|]
        Robot(canvas);
        break;
    case 23: // :wombat:
        Wombat(canvas);
        break;
    default:
        break;
    }
    return image;
}

QImage DrawEmoticonButton() {
    QImage image(kPictureSize, kPictureSize, QImage::Format_RGB32);
    image.fill(kButtonFace);
    QPainter painter(&image);
    painter.drawImage(0, 0, DrawEmoticon(0));
    return image;
}

} // namespace quillo::emoticons
