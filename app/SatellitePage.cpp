#include "SatellitePage.h"

#include "DesignComponents.h"
#include "SkyTable.h"
#include "TProgressBar.h"
#include "platform/Formatting.h"

#include <QLabel>

#include <string>

namespace {

constexpr int SatelliteRowCount = 12;
constexpr int SatelliteRowPitch = 24;
constexpr int DefaultProgressBarHeight = 16;
// Room for the longest text a row can show, so it is never measured again.
constexpr int ChangingTextWidth = 340;

} // namespace

SatellitePage::SatellitePage() {
    setObjectName("TabSheetSatellites");
    QLabel* firstRow = MakeLabel(this, "LabelSat01", " ", 208, 10);
    firstRow->resize(ChangingTextWidth, firstRow->height());
    MakeLabel(this, "LabelNum01", "01", 16, 10);
    auto* firstBar = MakeProgressBar(this, "ProgressBarSat01", 32, 8, 169, 17);
    firstBar->setRange(29, 55);
    firstBar->SetPosition(29);
    // Under the all-systems setting the tab shows every satellite here instead of in the rows.
    table_ = new SkyTable(this);
    table_->setGeometry(0, 0, 557, 296);
    table_->hide();
}

void SatellitePage::AddRows() {
    const auto* firstBar = findChild<TProgressBar*>("ProgressBarSat01");
    const QWidget* firstSat = findChild<QWidget*>("LabelSat01");
    const QWidget* firstNum = findChild<QWidget*>("LabelNum01");
    int barTop = firstBar->y();
    int satTop = firstSat->y();
    int numTop = firstNum->y();
    for (int row = 2; row <= SatelliteRowCount; ++row) {
        barTop += SatelliteRowPitch;
        satTop += SatelliteRowPitch;
        numTop += SatelliteRowPitch;
        const std::string number = Format("%.2d", row);
        MakeLabel(this, ("LabelSat" + number).c_str(), " ", firstSat->x(), satTop)
            ->resize(ChangingTextWidth, firstSat->height());
        MakeLabel(this, ("LabelNum" + number).c_str(), QString::fromStdString(number),
                  firstNum->x(), numTop);
        auto* bar =
            MakeProgressBar(this, QString::fromStdString("ProgressBarSat" + number), firstBar->x(),
                            barTop, firstBar->width(), DefaultProgressBarHeight);
        bar->setRange(firstBar->minimum(), firstBar->maximum());
    }
}
