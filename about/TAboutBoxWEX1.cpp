#include "TAboutBoxWEX1.h"

TAboutBoxWEX1::TAboutBoxWEX1(QWidget* parent) : TAboutBoxWEX(parent) {
    setObjectName("AboutBoxWEX1");
    setWindowTitle("AboutBoxWEX1");
}
