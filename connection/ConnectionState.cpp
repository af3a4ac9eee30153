#include "ConnectionState.h"

bool OffersStop(ConnectionState state) {
    return state != ConnectionState::Closed;
}

bool ShowsLedOn(ConnectionState state) {
    return state == ConnectionState::Open;
}
