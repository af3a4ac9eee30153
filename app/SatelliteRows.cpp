#include "SatelliteRows.h"

#include "ControlUpdates.h"
#include "SkyTable.h"
#include "TProgressBar.h"
#include "horizon/SatelliteTexts.h"
#include "horizon/SkyView.h"
#include "platform/Formatting.h"

#include <QLabel>

SatelliteRows::SatelliteRows(ControlUpdates& updates, std::function<void()> changed)
    : updates_(updates), changed_(std::move(changed)) {}

void SatelliteRows::Index(const QWidget& window, SkyTable& sky) {
    count_ = window.findChild<QLabel*>("LabelNumSatellites");
    for (std::size_t row = 1; row <= rows_.size(); ++row) {
        const int number = static_cast<int>(row);
        rows_[row - 1] = {
            window.findChild<QLabel*>(QString::fromStdString(Format("LabelSat%.2d", number))),
            window.findChild<TProgressBar*>(
                QString::fromStdString(Format("ProgressBarSat%.2d", number)))};
    }
    sky_ = &sky;
}

void SatelliteRows::ShowSatellitesInView(std::int32_t count) {
    if (count_ != nullptr && updates_.SetText(*count_, SatellitesInViewText(count))) {
        changed_();
    }
}

void SatelliteRows::ShowRow(std::int64_t row, const SatelliteReport& satellite) {
    SetRow(row, SatelliteRowText(satellite), satellite.SNR);
}

void SatelliteRows::ClearRow(std::int64_t row) {
    SetRow(row, std::string(), 0);
}

void SatelliteRows::ShowSky(const SkyView& sky) {
    if (sky_ != nullptr) {
        sky_->SetSatellites(sky.Satellites());
        changed_();
    }
}

void SatelliteRows::SetRow(std::int64_t row, std::string caption, int position) {
    if (row < 1 || row > static_cast<std::int64_t>(rows_.size())) {
        return;
    }
    const auto& [label, bar] = rows_[static_cast<std::size_t>(row - 1)];
    if (label != nullptr && updates_.SetText(*label, std::move(caption))) {
        changed_();
    }
    if (bar != nullptr && updates_.SetPosition(*bar, position)) {
        changed_();
    }
}
