#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What gpsd sends a client that watches in NMEA mode, one item a line: first its greeting, a
// JSON object of class VERSION, then JSON reports (DEVICES, WATCH, ERROR ...) and the receivers'
// sentences, which begin with '$' or '!'. Only the sentences go on, with their line ends.
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

    // Takes bytes as they come, in pieces of any size, and appends the sentences they complete
    // to `sentences`. Once the greeting is wrong, nothing more is taken.
    void Feed(std::string_view bytes, std::string& sentences);

    Greeting GreetingState() const { return greeting_; }
    // The bytes of the line still being put together.
    std::size_t Assembling() const { return line_.size(); }

    // The request for the sentences of all receivers, or of the one `device` names.
    static std::string WatchRequest(const std::string& device);

    // Far beyond the 82 characters of a sentence or the few hundred of gpsd's reports.
    static constexpr std::size_t LongestLine = 4096;

private:
    void EndLine(std::string& sentences);

    std::string line_;
    bool overlong_ = false;
    Greeting greeting_ = Greeting::Awaited;
};
