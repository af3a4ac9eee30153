#pragma once

#include "platform/TPicture.h"

#include <QWidget>

#include <functional>

// Shows its picture at its top-left corner and repaints when the picture changes.
class TwexImage : public QWidget {
    Q_OBJECT

public:
    explicit TwexImage(QWidget* parent = nullptr);

    TPicture& Picture() { return picture_; }
    // The picture's bitmap, made empty when it has none.
    TBitmap& Bitmap() { return picture_.Bitmap(); }

    // Sizes the widget to its picture, now and whenever the picture changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    // Paints every pixel itself, around the picture too, so nothing is erased first and a
    // picture redrawn often does not flicker.
    bool FlickerFree() const { return flickerFree_; }
    void SetFlickerFree(bool flickerFree);

    // Lets the mouse through to whatever lies beneath; none of the mouse events below fire.
    bool IgnoreMouse() const { return ignoreMouse_; }
    void SetIgnoreMouse(bool ignoreMouse);

    std::function<void(TwexImage& sender)> OnMouseEnter;
    std::function<void(TwexImage& sender)> OnMouseLeave;
    std::function<void(TwexImage& sender, Qt::KeyboardModifiers modifiers, int x, int y)>
        OnMouseMove;

    QSize sizeHint() const override;

protected:
    virtual void MouseEnter();
    virtual void MouseLeave();

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();

    TPicture picture_;
    QSize pictureSize_{0, 0};
    bool autoSize_ = false;
    bool flickerFree_ = false;
    bool ignoreMouse_ = false;
};
