#include "PlotMenu.h"

#include "TSkyfenceApplication.h"
#include "horizon/MapResults.h"
#include "platform/LocaleText.h"
#include "platform/Mbcs.h"

#include <QAction>
#include <QActionGroup>

#include <array>
#include <optional>

namespace {

constexpr std::array<int, 5> ProfileThresholds = {20, 25, 30, 35, 40};

template <class Value>
struct Choice {
    Value value;
    QString caption;
    QString name;
    bool checked;
};

// A submenu of exclusive choices; its group keeps the check mark on the one chosen last, which
// then runs `choose`.
template <class Value, class Choose>
std::vector<std::pair<Value, QAction*>> AddChoices(QMenu& menu, const char* title, const char* name,
                                                   const std::vector<Choice<Value>>& choices,
                                                   Choose choose) {
    QMenu* sub = menu.addMenu(title);
    sub->setObjectName(name);
    auto* group = new QActionGroup(&menu);
    group->setExclusive(true);
    std::vector<std::pair<Value, QAction*>> items;
    for (const Choice<Value>& choice : choices) {
        QAction* item = sub->addAction(choice.caption);
        item->setObjectName(choice.name);
        item->setCheckable(true);
        item->setChecked(choice.checked);
        group->addAction(item);
        QObject::connect(
            item, &QAction::triggered, &menu,
            TSkyfenceApplication::Guarded([choose, value = choice.value] { choose(value); }));
        items.emplace_back(choice.value, item);
    }
    return items;
}

} // namespace

PlotMenu::PlotMenu(QWidget* parent, MapResults& results, std::function<void(Plots plots)> replot)
    : QMenu(parent), results_(results), replot_(std::move(replot)) {
    setObjectName("PopupMenuDisplay");
    const PlotSettings& settings = results_.Settings();
    std::vector<Choice<int>> widths;
    for (const int width : AverageWidths) {
        widths.push_back({width, QString::number(width) + ToQString(DegreeSign),
                          QString("MenuPopupAverage%1").arg(width),
                          width == settings.AverageWidth});
    }
    AddChoices(*this, "Average", "MenuPopupAverage", widths, [this](int width) {
        results_.Settings().AverageWidth = width;
        replot_(Plots::Both);
    });
    AddCheckable("MenuPopupFilled", "Filled", &PlotSettings::Filled);
    AddCheckable("MenuPopupPolar", "Polar", &PlotSettings::Polar);

    // Which map the live plot shows: all systems together, or one of them.
    std::vector<Choice<std::optional<SatelliteSystem>>> systems{
        {std::nullopt, "All", "MenuPopupSystemAll", true}};
    for (const SatelliteSystem each : AllSatelliteSystems) {
        systems.push_back(
            {each, SystemName(each), QString("MenuPopupSystem") + SystemName(each), false});
    }
    AddChoices(*this, "System", "MenuPopupSystem", systems,
               [this](std::optional<SatelliteSystem> system) {
                   results_.SetSystem(system);
                   replot_(Plots::Live);
               });

    // What the observations make of each cell in place of the strongest signal; the threshold
    // below decides what is open.
    AddCheckable("MenuPopupClasses", "Sky classes", &PlotSettings::Classes);
    AddCheckable("MenuPopupProfile", "Horizon profile", &PlotSettings::ProfileLine);
    // The signal that counts as a clear view for the profile: what is enough depends on the
    // receiver and its antenna.
    std::vector<Choice<int>> thresholds;
    for (const int decibels : ProfileThresholds) {
        thresholds.push_back({decibels, QString("%1 dB").arg(decibels),
                              QString("MenuPopupThreshold%1").arg(decibels),
                              decibels == settings.ProfileThreshold});
    }
    AddChoices(*this, "Profile threshold", "MenuPopupThreshold", thresholds, [this](int decibels) {
        results_.Settings().ProfileThreshold = decibels;
        replot_(Plots::Both);
    });

    std::vector<Choice<Palette>> palettes;
    for (const auto& [palette, name] : {std::pair{Palette::Grey, "MenuPopupPaletteGrey"},
                                        std::pair{Palette::Viridis, "MenuPopupPaletteViridis"}}) {
        palettes.push_back({palette, ToQString(PaletteToText(palette)), name, false});
    }
    palettes_ = AddChoices(*this, "Colours", "MenuPopupColours", palettes, [this](Palette palette) {
        results_.Settings().Colours = palette;
        replot_(Plots::Both);
        results_.SavePalette();
    });
}

// The item has already inverted its check mark when it runs.
void PlotMenu::AddCheckable(const char* name, const char* caption, bool PlotSettings::*setting) {
    QAction* item = addAction(QString::fromUtf8(caption));
    item->setObjectName(name);
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, TSkyfenceApplication::Guarded([this, item, setting] {
                results_.Settings().*setting = item->isChecked();
                replot_(Plots::Both);
            }));
}

void PlotMenu::RestorePalette() {
    results_.RestorePalette();
    for (const auto& [palette, item] : palettes_) {
        item->setChecked(palette == results_.Settings().Colours);
    }
}
