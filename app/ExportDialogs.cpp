#include "ExportDialogs.h"

#include "platform/LocaleText.h"

#include <QFileDialog>
#include <QInputDialog>

std::optional<std::string> AskExportFile(QWidget* parent, const std::string& folder,
                                         ExportKind kind) {
    const bool picture = kind == ExportKind::Picture;
    const std::string name = ExportKindName(kind);
    const QString file = QFileDialog::getSaveFileName(
        parent, picture ? "Export picture" : QString::fromStdString("Export " + name),
        QString::fromStdString(folder + (picture ? "Skyfence.png" : "Skyfence-" + name + ".csv")),
        picture ? "PNG pictures (*.png)" : "CSV tables (*.csv)");
    return file.isEmpty() ? std::nullopt : std::optional(FromQString(file));
}

std::optional<QSize> AskPictureSize(QWidget* parent) {
    const QStringList sizes = {"800 x 600", "1200 x 900", "1600 x 1200", "2400 x 1800"};
    bool chosen = false;
    const QString size = QInputDialog::getItem(parent, "Export picture", "Size in pixels:", sizes,
                                               1, false, &chosen);
    if (!chosen) {
        return std::nullopt;
    }
    const QStringList sides = size.split(" x ");
    return QSize(sides.at(0).toInt(), sides.at(1).toInt());
}
