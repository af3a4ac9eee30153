#include "ExportDialogs.h"

#include "platform/LocaleText.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include <vector>

namespace {

struct FileType {
    QString filter;
    QString suffix;
};

// The suffix of the type chosen is what the writer goes by, so a bare name gets it.
std::optional<std::string> AskTypedFile(QWidget* parent, const QString& title,
                                        const std::string& offered,
                                        const std::vector<FileType>& types) {
    QStringList filters;
    for (const FileType& type : types) {
        filters << type.filter;
    }
    QString chosen = filters.front();
    QString file = QFileDialog::getSaveFileName(parent, title, QString::fromStdString(offered),
                                                filters.join(";;"), &chosen);
    if (file.isEmpty()) {
        return std::nullopt;
    }
    if (QFileInfo(file).suffix().isEmpty()) {
        for (const FileType& type : types) {
            if (type.filter == chosen) {
                file += "." + type.suffix;
            }
        }
    }
    return FromQString(file);
}

} // namespace

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

// Wide enough for a name as a site log gives it.
std::optional<std::string> AskSiteName(QWidget* parent) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle("Site report");
    dialog.setLabelText("Name of the site, the report's title:");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.resize(400, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return FromQString(dialog.textValue().trimmed());
}

std::optional<std::string> AskReportFile(QWidget* parent, const std::string& folder) {
    return AskTypedFile(parent, "Site report", folder + "Skyfence-report.html",
                        {{"HTML reports (*.html)", "html"}, {"PDF documents (*.pdf)", "pdf"}});
}

std::optional<std::string> AskMaskFile(QWidget* parent, const std::string& folder) {
    return AskTypedFile(parent, "Export horizon mask", folder + "Skyfence-mask.csv",
                        {{"CSV tables (*.csv)", "csv"}, {"AzElMask files (*.aem)", "aem"}});
}
