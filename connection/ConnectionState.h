#pragma once

// Where reception stands. Closed until the user starts it and again once they stop it; between
// the two the receiver may be lost and tried again any number of times.
enum class ConnectionState {
    Closed,   // not started, or stopped by the user
    Opening,  // started; the port is open and nothing has arrived yet
    Open,     // the receiver's data arrives
    Lost,     // the receiver went away; the next try waits for its time
    Retrying, // a try is under way: the port is open again, nothing has arrived yet
};

// What the start/stop button offers: while reception is started, even with the receiver lost,
// the user's one action is to stop it (which also ends the retries).
bool OffersStop(ConnectionState state);
// The LED: lit once the receiver answers, dark until then (opening, trying again), while it is
// lost and while reception is closed.
bool ShowsLedOn(ConnectionState state);
