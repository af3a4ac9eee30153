#include "TMessageReceiver.h"

#include "TCustomComPort.h"
#include "platform/ApplicationExceptions.h"
#include "platform/MainThreadCalls.h"

TMessageReceiver::TMessageReceiver(TCustomComPort& port)
    : port_(port), self_(std::make_shared<TMessageReceiver*>(this)) {}

TMessageReceiver::~TMessageReceiver() {
    *self_ = nullptr;
}

void TMessageReceiver::Send(std::uint32_t eventMask) {
    std::weak_ptr<TMessageReceiver*> receiver = self_;
    MainThreadCalls::Instance().Send([receiver, eventMask] {
        if (const auto self = receiver.lock(); self && *self != nullptr) {
            (*self)->Receive(EventMessage, eventMask);
        }
    });
}

void TMessageReceiver::Receive(std::uint32_t message, std::uint32_t eventMask) {
    if (message != EventMessage || !port_.Connected()) {
        return;
    }
    const TComEvents events = MaskToEvents(eventMask);
    if (events.Empty()) {
        return;
    }
    try {
        for (std::uint32_t bit = 0; bit < 10; ++bit) {
            const auto event = static_cast<TComEvent>(bit);
            if (events.Contains(event)) {
                port_.DeliverEvent(event);
                break;
            }
        }
    } catch (...) {
        HandleApplicationException();
    }
}
