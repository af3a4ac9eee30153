#include "SkyTable.h"

#include "TProgressBar.h"
#include "horizon/SatelliteTexts.h"
#include "platform/LocaleText.h"

#include <QLabel>

namespace {

// The rows of the twelve-row table, one under the other.
constexpr int RowStep = 24;
constexpr int FirstTop = 8;
constexpr int BarLeft = 8;
constexpr int BarWidth = 169;
constexpr int BarHeight = 17;
constexpr int LabelLeft = 184;
constexpr int LabelWidth = 340;
// The bar's range of the twelve-row table: signals below 29 dB show empty, above 55 dB full.
constexpr int BarMinimum = 29;
constexpr int BarMaximum = 55;

} // namespace

SkyTable::SkyTable(QWidget* parent) : QScrollArea(parent) {
    setObjectName("ScrollBoxSky");
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rows_ = new QWidget;
    rows_->setObjectName("PanelSky");
    rows_->resize(LabelLeft + LabelWidth, FirstTop);
    setWidget(rows_);
}

void SkyTable::SetSatellites(std::vector<InViewSatellite> satellites) {
    pending_ = std::move(satellites);
}

void SkyTable::Apply() {
    if (!pending_) {
        return;
    }
    const std::vector<InViewSatellite> satellites = std::move(*pending_);
    pending_.reset();
    EnsureRows(satellites.size());
    for (std::size_t row = 0; row < controls_.size(); ++row) {
        auto& [label, bar] = controls_[row];
        const bool used = row < satellites.size();
        if (used) {
            const QString text = ToQString(SkySatelliteText(satellites[row]));
            if (label->text() != text) {
                label->setText(text);
            }
            bar->SetPosition(satellites[row].SNR);
        }
        label->setVisible(used);
        bar->setVisible(used);
    }
    shown_ = static_cast<int>(satellites.size());
    rows_->resize(rows_->width(), FirstTop + shown_ * RowStep);
}

QString SkyTable::RowText(int row) const {
    return controls_.at(static_cast<std::size_t>(row)).first->text();
}

int SkyTable::RowPosition(int row) const {
    return controls_.at(static_cast<std::size_t>(row)).second->Position();
}

void SkyTable::EnsureRows(std::size_t count) {
    while (controls_.size() < count) {
        const int number = static_cast<int>(controls_.size()) + 1;
        const int top = FirstTop + (number - 1) * RowStep;
        auto* bar = new TProgressBar(rows_);
        bar->setObjectName(QString("ProgressBarSky%1").arg(number, 2, 10, QChar('0')));
        bar->setTextVisible(false);
        bar->setRange(BarMinimum, BarMaximum);
        bar->setGeometry(BarLeft, top, BarWidth, BarHeight);
        auto* label = new QLabel(rows_);
        label->setObjectName(QString("LabelSky%1").arg(number, 2, 10, QChar('0')));
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(LabelLeft, top + 2, LabelWidth, BarHeight);
        controls_.emplace_back(label, bar);
    }
}
