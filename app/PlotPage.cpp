#include "PlotPage.h"

#include "DesignComponents.h"

#include "horizon/CompassLetters.h"
#include "imaging/TExtBitmap.h"
#include "imaging/TwexImage.h"

#include <QLabel>

#include <memory>
#include <string>

namespace {

constexpr std::array<const char*, 5> CompassNames = {"LabelNorth", "LabelEast", "LabelSouth",
                                                     "LabelWest", "LabelNorth2"};
constexpr std::array<const char*, 5> CompassCaptions = {"N", "E", "S", "W", "N"};

} // namespace

PlotPage::PlotPage(const char* name, const char* imageName, const char* suffix) {
    setObjectName(name);
    image_ = new TwexImage(this);
    image_->setObjectName(imageName);
    image_->setGeometry(8, 4, 540, 273);
    image_->setCursor(Qt::CrossCursor);
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        const std::string letter = std::string(CompassNames[i]) + suffix;
        letters_[i] = MakeLabel(this, letter.c_str(), CompassCaptions[i], 0, 0);
    }
    PlaceCompassLetters();
}

void PlotPage::SetUpBitmap() {
    auto owned = std::make_unique<TExtBitmap>();
    bitmap_ = owned.get();
    image_->Picture().SetGraphic(std::move(owned));
    bitmap_->SetHeight(image_->height());
    bitmap_->SetWidth(image_->width());
    bitmap_->SetPixelFormat(TPixelFormat::pf8bit);
    // The picture shows exactly the grey levels the plot draws.
    bitmap_->MakeGreyPalette();
    bitmap_->FillRect({0, 0, bitmap_->Width(), bitmap_->Height()}, 0xFFFFFF);
    // Sized to its picture from now on; before, the empty picture would have shrunk it.
    image_->SetAutoSize(true);
}

void PlotPage::ShowCompassLetters(bool shown) {
    for (QLabel* letter : letters_) {
        letter->setVisible(shown);
    }
}

void PlotPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceCompassLetters();
}

void PlotPage::PlaceCompassLetters() {
    std::array<int, 5> widths{};
    for (std::size_t i = 0; i < widths.size(); ++i) {
        widths[i] = letters_[i]->width();
    }
    const auto positions = CompassLetterPositions(
        {image_->x(), image_->y(), image_->width(), image_->height()}, widths);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        letters_[i]->move(positions[i].Left, positions[i].Top);
    }
}
