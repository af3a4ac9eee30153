#pragma once

#include "ComTypes.h"

class TCustomComPort;

// Parity settings of a port. A change re-applies the port's line settings.
class TComParity {
public:
    explicit TComParity(TCustomComPort* port = nullptr) : port_(port) {}
    // A copy holds the settings only; it belongs to no port.
    TComParity(const TComParity& other) { Assign(other); }
    TComParity& operator=(const TComParity&) = delete;

    // Copies the settings, not the port, and applies nothing.
    void Assign(const TComParity& other);

    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits bits);
    bool Check() const { return check_; }
    void SetCheck(bool check);
    bool Replace() const { return replace_; }
    void SetReplace(bool replace);
    char ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(char replaceChar);

private:
    template <class T>
    void Change(T& field, T value);

    TCustomComPort* port_ = nullptr;
    TParityBits bits_ = TParityBits::prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};
