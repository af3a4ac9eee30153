#pragma once

#include "TAboutBoxWEX.h"

// The program's own about box.
class TAboutBoxWEX1 : public TAboutBoxWEX {
public:
    explicit TAboutBoxWEX1(QWidget* parent = nullptr);
};
