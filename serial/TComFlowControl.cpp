#include "TComFlowControl.h"

#include "TCustomComPort.h"

void TComFlowControl::Assign(const TComFlowControl& other) {
    outCTSFlow_ = other.outCTSFlow_;
    outDSRFlow_ = other.outDSRFlow_;
    controlDTR_ = other.controlDTR_;
    controlRTS_ = other.controlRTS_;
    xonXoffOut_ = other.xonXoffOut_;
    xonXoffIn_ = other.xonXoffIn_;
    dsrSensitivity_ = other.dsrSensitivity_;
    txContinueOnXoff_ = other.txContinueOnXoff_;
    xonChar_ = other.xonChar_;
    xoffChar_ = other.xoffChar_;
}

TFlowControl TComFlowControl::FlowControl() const {
    const bool noXonXoff = !xonXoffIn_ && !xonXoffOut_;
    if (controlRTS_ == TRTSFlowControl::rtsHandshake && outCTSFlow_ && noXonXoff) {
        return TFlowControl::fcHardware;
    }
    if (controlRTS_ == TRTSFlowControl::rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) {
        return TFlowControl::fcSoftware;
    }
    if (controlRTS_ == TRTSFlowControl::rtsDisable && !outCTSFlow_ && noXonXoff) {
        return TFlowControl::fcNone;
    }
    return TFlowControl::fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl flowControl) {
    if (flowControl != TFlowControl::fcCustom) {
        controlRTS_ = TRTSFlowControl::rtsDisable;
        outCTSFlow_ = false;
        xonXoffIn_ = false;
        xonXoffOut_ = false;
        if (flowControl == TFlowControl::fcHardware) {
            controlRTS_ = TRTSFlowControl::rtsHandshake;
            outCTSFlow_ = true;
        } else if (flowControl == TFlowControl::fcSoftware) {
            xonXoffIn_ = true;
            xonXoffOut_ = true;
        }
    }
    Reapply();
}

void TComFlowControl::Reapply() {
    if (port_ != nullptr) {
        port_->ApplyLineSettings();
    }
}

template <class T>
void TComFlowControl::Change(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    Reapply();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
    Change(outCTSFlow_, value);
}
void TComFlowControl::SetOutDSRFlow(bool value) {
    Change(outDSRFlow_, value);
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
    Change(controlDTR_, value);
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
    Change(controlRTS_, value);
}
void TComFlowControl::SetXonXoffOut(bool value) {
    Change(xonXoffOut_, value);
}
void TComFlowControl::SetXonXoffIn(bool value) {
    Change(xonXoffIn_, value);
}
void TComFlowControl::SetDSRSensitivity(bool value) {
    Change(dsrSensitivity_, value);
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
    Change(txContinueOnXoff_, value);
}
void TComFlowControl::SetXonChar(char value) {
    Change(xonChar_, value);
}
void TComFlowControl::SetXoffChar(char value) {
    Change(xoffChar_, value);
}
