#pragma once

#include "horizon/MapExport.h"

#include <QSize>

#include <optional>
#include <string>

class QWidget;

// The file an export of `kind` writes, offered in `folder` (ending in "/"); none when cancelled.
std::optional<std::string> AskExportFile(QWidget* parent, const std::string& folder,
                                         ExportKind kind);
// The size of an exported picture, from the sizes offered; none when cancelled.
std::optional<QSize> AskPictureSize(QWidget* parent);

// The name of the site a report is about; none when cancelled.
std::optional<std::string> AskSiteName(QWidget* parent);
// The file of a site report (HTML or PDF) or of a horizon mask (CSV or AzElMask), offered in
// `folder`; a name without an extension takes that of the type chosen. None when cancelled.
std::optional<std::string> AskReportFile(QWidget* parent, const std::string& folder);
std::optional<std::string> AskMaskFile(QWidget* parent, const std::string& folder);
