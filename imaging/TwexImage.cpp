#include "TwexImage.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TwexImage::TwexImage(QWidget* parent) : QWidget(parent) {
    // Moves are reported without a button held, for the read-out under the pointer.
    setMouseTracking(true);
    picture_.OnChange = [this](TPicture&) { PictureChanged(); };
}

void TwexImage::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    PictureChanged();
}

void TwexImage::SetFlickerFree(bool flickerFree) {
    flickerFree_ = flickerFree;
    setAttribute(Qt::WA_OpaquePaintEvent, flickerFree);
    update();
}

void TwexImage::SetIgnoreMouse(bool ignoreMouse) {
    ignoreMouse_ = ignoreMouse;
    setAttribute(Qt::WA_TransparentForMouseEvents, ignoreMouse);
}

QSize TwexImage::sizeHint() const {
    const TBitmap* const bitmap = picture_.Graphic();
    return bitmap != nullptr ? QSize(bitmap->Width(), bitmap->Height()) : QSize(0, 0);
}

void TwexImage::MouseEnter() {
    if (OnMouseEnter) {
        OnMouseEnter(*this);
    }
}

void TwexImage::MouseLeave() {
    if (OnMouseLeave) {
        OnMouseLeave(*this);
    }
}

// The attribute keeps Qt from routing the mouse here; the checks also cover events sent straight
// to the widget.
void TwexImage::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (!ignoreMouse_) {
        MouseEnter();
    }
}

void TwexImage::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!ignoreMouse_) {
        MouseLeave();
    }
}

void TwexImage::mouseMoveEvent(QMouseEvent* event) {
    if (ignoreMouse_) {
        event->ignore();
        return;
    }
    if (OnMouseMove) {
        const QPoint at = event->position().toPoint();
        OnMouseMove(*this, event->modifiers(), at.x(), at.y());
    }
    event->accept();
}

void TwexImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const TBitmap* const bitmap = picture_.Graphic();
    const QRect pictureArea =
        bitmap != nullptr ? QRect(0, 0, bitmap->Width(), bitmap->Height()) : QRect();
    if (flickerFree_) {
        // Nothing was erased: the area beside the picture is painted here.
        const QRegion uncovered = QRegion(event->rect()).subtracted(QRegion(pictureArea));
        for (const QRect& rect : uncovered) {
            painter.fillRect(rect, palette().window());
        }
    }
    if (bitmap != nullptr && !bitmap->Empty()) {
        painter.drawImage(QPoint(0, 0), bitmap->Image());
    }
}

// A plot changes the picture pixel by pixel: the geometry is only touched when the size changed.
void TwexImage::PictureChanged() {
    const QSize size = sizeHint();
    if (size != pictureSize_) {
        pictureSize_ = size;
        updateGeometry();
    }
    if (autoSize_ && size != this->size()) {
        resize(size);
    }
    update();
}
