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
