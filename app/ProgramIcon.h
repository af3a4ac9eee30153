#pragma once

#include <QIcon>

// The program's own icon, a sky dome over its horizon, in every size it is drawn in.
QIcon ProgramIcon();
