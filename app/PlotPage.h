#pragma once

#include <QWidget>

#include <array>

class QLabel;
class TExtBitmap;
class TwexImage;

// A tab of the window that shows a plot: its picture, as the design places it, and the compass
// letters under the quarters of the rectangular layout, which follow the picture's size.
class PlotPage : public QWidget {
public:
    // `imageName` names the picture; `suffix` ends the names of the letters.
    PlotPage(const char* name, const char* imageName, const char* suffix);

    TwexImage& Image() { return *image_; }
    // The plot's bitmap, owned by the picture; there once SetUpBitmap has run.
    TExtBitmap& Bitmap() { return *bitmap_; }
    // A white 8-bit bitmap of grey levels the size of the picture, which fits itself to it from
    // then on.
    void SetUpBitmap();
    // The polar layout has no use for them.
    void ShowCompassLetters(bool shown);

protected:
    // A page that is not shown hears of its size only when it is; its letters are placed at
    // creation too.
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceCompassLetters();

    TwexImage* image_ = nullptr;
    TExtBitmap* bitmap_ = nullptr;
    std::array<QLabel*, 5> letters_{};
};
