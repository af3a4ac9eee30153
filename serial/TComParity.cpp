#include "TComParity.h"

#include "TCustomComPort.h"

void TComParity::Assign(const TComParity& other) {
    bits_ = other.bits_;
    check_ = other.check_;
    replace_ = other.replace_;
    replaceChar_ = other.replaceChar_;
}

template <class T>
void TComParity::Change(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    if (port_ != nullptr) {
        port_->ApplyLineSettings();
    }
}

void TComParity::SetBits(TParityBits bits) {
    Change(bits_, bits);
}
void TComParity::SetCheck(bool check) {
    Change(check_, check);
}
void TComParity::SetReplace(bool replace) {
    Change(replace_, replace);
}
void TComParity::SetReplaceChar(char replaceChar) {
    Change(replaceChar_, replaceChar);
}
