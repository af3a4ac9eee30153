#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// What gpsd sends a client that watches in NMEA mode, one item a line: first its greeting, a
// JSON object of class VERSION, then JSON reports (DEVICES, WATCH, ERROR ...) and the receivers'
// sentences, which begin with '$' or '!'. Only the sentences go on, with their line ends. Two
// reports end the watch's use: an ERROR (a receiver gpsd does not know) and a DEVICE report
// that the watched receiver (any, when none is named) went away; Trouble then says which.
//
// The bytes come from the network: a line longer than any sentence is dropped whole, and only
// so much of it is kept while it lasts, however long it goes on without a line end.
class GpsdStream {
public:
    enum class Greeting {
        Awaited,  // no whole line yet
        Received, // the first line was gpsd's VERSION object
        Wrong,    // the first line was something else: the peer is no gpsd
    };

    // `device`: the receiver watched; empty: all of them.
    explicit GpsdStream(std::string device = {}) : device_(std::move(device)) {}

    // Takes bytes as they come, in pieces of any size, and appends the sentences they complete
    // to `sentences`. Once the greeting is wrong or there is trouble, nothing more is taken.
    void Feed(std::string_view bytes, std::string& sentences);

    Greeting GreetingState() const { return greeting_; }
    // Why the watch brings nothing more, in gpsd's words or about its report; empty while it
    // may. The first such report counts.
    const std::string& Trouble() const { return trouble_; }
    // The bytes of the line still being put together.
    std::size_t Assembling() const { return line_.size(); }

    // The request for the sentences of all receivers, or of the one `device` names.
    static std::string WatchRequest(const std::string& device);

    // Far beyond the 82 characters of a sentence or the few hundred of gpsd's reports.
    static constexpr std::size_t LongestLine = 4096;

private:
    void EndLine(std::string& sentences);
    void ReadReport(std::string_view line);

    std::string device_;
    std::string trouble_;
    std::string line_;
    bool overlong_ = false;
    Greeting greeting_ = Greeting::Awaited;
};
